# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The systemd service of the package, checked by systemd's own tools, and the server started
as the service starts it: the unit's command line with the options file's variable.

ZIRVEL2_UNIT names the configured unit, ZIRVEL2_SERVER_DEFAULTS its options file and
ZIRVEL2_MAN_PAGE the manual page it names."""

import os
import shlex
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from deployment import SERVER, SITE, Processes, fetch, status

UNIT = Path(os.environ["ZIRVEL2_UNIT"])
DEFAULTS = Path(os.environ["ZIRVEL2_SERVER_DEFAULTS"])
MAN_PAGE = Path(os.environ["ZIRVEL2_MAN_PAGE"])
# systemd-analyze's exposure, 0 to 100: the sandbox may not get any weaker than it is (15).
MOST_EXPOSURE = 20


def unit_settings(text):
    """The unit's settings by name; a name given again adds to a list."""
    settings = {}
    for line in text.splitlines():
        if "=" in line and not line.startswith("#"):
            name, value = line.split("=", 1)
            settings.setdefault(name, []).append(value)
    return settings


def environment_file(path):
    """The variables of an EnvironmentFile: assignments with shell-like quotes."""
    variables = {}
    for line in path.read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            name, value = line.split("=", 1)
            variables[name] = " ".join(shlex.split(value))
    return variables


class Service(unittest.TestCase):
    def setUp(self):
        # The unit runs the installed executable; before installation, the built one.
        self.folder = Path(tempfile.mkdtemp(prefix="zirvel2-unit-"))
        self.addCleanup(shutil.rmtree, self.folder)
        text = UNIT.read_text()
        self.exec_start = unit_settings(text)["ExecStart"][0].split()
        text = text.replace(f"ExecStart={self.exec_start[0]} ",
                            f"ExecStart={Path(SERVER).resolve()} ")
        self.unit = self.folder / UNIT.name
        self.unit.write_text(text)
        man = self.folder / "man" / "man6"
        man.mkdir(parents=True)
        shutil.copy(MAN_PAGE, man)

    def analyze(self, *arguments):
        return subprocess.run(["systemd-analyze", *arguments], capture_output=True, text=True,
                              env={**os.environ, "MANPATH": str(self.folder / "man")})

    def test_verifies_without_a_warning(self):
        verified = self.analyze("verify", str(self.unit))
        self.assertEqual((verified.returncode, verified.stdout + verified.stderr), (0, ""))

    def test_sandbox_keeps_its_exposure(self):
        security = self.analyze("security", "--offline=true", f"--threshold={MOST_EXPOSURE}",
                                str(self.unit))
        self.assertEqual(security.returncode, 0, security.stdout + security.stderr)

    def test_serves_with_the_units_command_line_and_options(self):
        variables = environment_file(DEFAULTS)
        command = [Path(SERVER).resolve()]
        for word in self.exec_start[1:]:
            command += variables[word[1:]].split() if word.startswith("$") else [word]
        with Processes() as processes:
            port = processes.server(command)
            self.assertEqual(status(port), {"version": 1, "rooms": 0, "connections": 0})
            self.assertEqual(fetch(f"http://127.0.0.1:{port}/zirvel2.html"),
                             (200, (SITE / "zirvel2.html").read_bytes()))


if __name__ == "__main__":
    unittest.main(verbosity=2)

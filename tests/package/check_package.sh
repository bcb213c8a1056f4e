#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian packages as scripts/package does, has lintian check them, renders their
# manual pages, checks their dependencies, unpacks them into a temporary root, plays the start
# of a game with the unpacked zirvel2 under Xvfb, and has the unpacked zirvel2-server serve
# the unpacked page with the options of its service.
set -euo pipefail
package_build_dir=$1
source_dir=$2
python=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ZIRVEL2_PACKAGE_BUILD_DIR=$package_build_dir "$source_dir/scripts/package" >"$work/package.log" 2>&1 ||
    { cat "$work/package.log" >&2; exit 1; }
deb=$(ls "$package_build_dir"/packages/zirvel2_*.deb)
server_deb=$(ls "$package_build_dir"/packages/zirvel2-server_*.deb)

# Informational tags may stay; an error or a warning fails.
lintian --allow-root --display-info "$deb" "$server_deb" | tee "$work/lintian.txt"
if grep -E '^[EW]: ' "$work/lintian.txt" >/dev/null; then
    echo "lintian reports errors or warnings" >&2
    exit 1
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 qt6-qpa-plugins; do
    grep -q "$needed" <<<"$depends" || { echo "missing dependency $needed" >&2; exit 1; }
done

server_depends=$(dpkg-deb -f "$server_deb" Depends)
echo "Depends of zirvel2-server: $server_depends"
for needed in libqt6httpserver6 libqt6websockets6 libqt6core6 libstdc++6; do
    grep -q "$needed" <<<"$server_depends" ||
        { echo "zirvel2-server misses dependency $needed" >&2; exit 1; }
done
# A server has no display: nothing of the game's windows.
if grep -E 'libqt6gui6|libqt6widgets6|qt6-qpa-plugins' <<<"$server_depends"; then
    echo "zirvel2-server depends on the toolkit's windows" >&2
    exit 1
fi
# The administrator's options survive upgrades.
dpkg-deb --ctrl-tarfile "$server_deb" | tar -xO ./conffiles | grep -qx /etc/default/zirvel2-server ||
    { echo "/etc/default/zirvel2-server is no conffile" >&2; exit 1; }

dpkg -x "$deb" "$work/root"
dpkg -x "$server_deb" "$work/root"
for man_page in "$work"/root/usr/share/man/man6/{zirvel2,zirvel2-server}.6.gz; do
    warnings=$(man --warnings -l "$man_page" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "the manual page $(basename "$man_page") renders with warnings: $warnings" >&2
        exit 1
    fi
done
unit="$work/root/lib/systemd/system/zirvel2-server.service"
grep -qx 'ExecStart=/usr/games/zirvel2-server $ZIRVEL2_SERVER_OPTIONS' "$unit" ||
    { echo "the service does not start /usr/games/zirvel2-server with its options" >&2; exit 1; }
test -x "$work/root/usr/games/zirvel2-server"
test -f "$work/root/usr/share/zirvel2/site/zirvel2.html"

# The unpacked server, with its service's options, serves the unpacked page.
ZIRVEL2_SERVER="$work/root/usr/games/zirvel2-server" ZIRVEL2_SITE="$work/root/usr/share/zirvel2/site" \
    ZIRVEL2_UNIT="$unit" ZIRVEL2_SERVER_DEFAULTS="$work/root/etc/default/zirvel2-server" \
    ZIRVEL2_MAN_PAGE="$work/root/usr/share/man/man6/zirvel2-server.6.gz" PYTHONDONTWRITEBYTECODE=1 \
    "$python" "$source_dir/tests/deploy/test_service.py" \
    Service.test_serves_with_the_units_command_line_and_options

# The desktop entry starts the program the package installs.
command=$(sed -n 's/^Exec=//p' "$work/root/usr/share/applications/pl.morvid.Zirvel2.desktop")
test -x "$work/root/usr/games/$command"
ZIRVEL2="$work/root/usr/games/$command" ZIRVEL2_E2E_ARTIFACTS="$work/screens" \
    "$python" "$source_dir/tests/e2e/test_board.py" \
    Board.test_ctrl_n_paints_the_start_layout_pixel_for_pixel

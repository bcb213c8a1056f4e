# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""nginx in front of zirvel2-server, as the README's recipe puts it: HTTPS for the page and
wss:// for the game, with a self-signed certificate, nginx running as an unprivileged user."""

import unittest

from deployment import (SITE, Processes, fetch, free_port, meet, play_round,
                        self_signed_certificate, tls_context)

CONFIG = """
worker_processes 1;
pid {folder}/nginx.pid;
error_log stderr warn;
events {{ worker_connections 64; }}
http {{
    access_log off;
    client_body_temp_path {folder}/body;
    proxy_temp_path {folder}/proxy;
    fastcgi_temp_path {folder}/fastcgi;
    uwsgi_temp_path {folder}/uwsgi;
    scgi_temp_path {folder}/scgi;
    map $http_upgrade $connection_upgrade {{
        default upgrade;
        '' close;
    }}
    server {{
        listen 127.0.0.1:{port} ssl;
        ssl_certificate {certificate};
        ssl_certificate_key {key};
        location / {{
            proxy_pass http://127.0.0.1:{server};
            proxy_http_version 1.1;
            proxy_set_header Upgrade $http_upgrade;
            proxy_set_header Connection $connection_upgrade;
            proxy_set_header Host $host;
            proxy_set_header X-Forwarded-For $proxy_add_x_forwarded_for;
            proxy_set_header X-Forwarded-Proto $scheme;
            proxy_read_timeout 1h;
            proxy_send_timeout 1h;
        }}
    }}
}}
"""


class Nginx(unittest.TestCase):
    def test_page_over_https_and_a_round_over_wss(self):
        with Processes() as processes:
            server = processes.server(behind_proxy=True)
            certificate, key = self_signed_certificate(processes.folder)
            port = free_port()
            config = processes.folder / "nginx.conf"
            config.write_text(CONFIG.format(folder=processes.folder, port=port, server=server,
                                            certificate=certificate, key=key))
            processes.unprivileged(["nginx", "-e", "stderr", "-p", str(processes.folder), "-c",
                                    str(config), "-g", "daemon off;"], port)

            context = tls_context(certificate)
            for path in ("/", "/zirvel2.html"):
                with self.subTest(path=path):
                    self.assertEqual(fetch(f"https://127.0.0.1:{port}{path}", context),
                                     (200, (SITE / "zirvel2.html").read_bytes()))

            red, blue = meet(f"wss://127.0.0.1:{port}/ws", {"ca_certs": str(certificate)})
            counters = play_round(red, blue)
            self.assertEqual(sum(int(counter) for counter in counters), 1)
            self.assertEqual(blue.counters, counters)
            self.assertEqual(red.refusals + blue.refusals, [])
            red.close()
            blue.close()


if __name__ == "__main__":
    unittest.main(verbosity=2)

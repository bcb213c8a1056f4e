#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the build into a temporary prefix, checks that nothing lands outside it, and
# validates what a desktop reads from it and the server's files.
set -euo pipefail
build_dir=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
# Below a staging root, so that a file installed outside the prefix shows instead of landing
# in the system.
prefix=$root/staged/zirvel2

DESTDIR=$root cmake --install "$build_dir" --prefix "$prefix" >/dev/null
outside=$(find "$root" -type f ! -path "$root$prefix/*")
if [ -n "$outside" ]; then
    echo "installed outside the prefix: $outside" >&2
    exit 1
fi
prefix=$root$prefix
test -x "$prefix/bin/zirvel2"
if [ -f "$build_dir/data/server/zirvel2-server.service" ]; then
    test -x "$prefix/bin/zirvel2-server"
    test -f "$prefix/lib/systemd/system/zirvel2-server.service"
    test -f "$prefix/etc/default/zirvel2-server"
    test -f "$prefix/share/man/man6/zirvel2-server.6.gz"
fi
desktop-file-validate "$prefix/share/applications/pl.morvid.Zirvel2.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/pl.morvid.Zirvel2.metainfo.xml"
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/pl.morvid.Zirvel2.svg"
for size in 16 22 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/pl.morvid.Zirvel2.png"
    # Width and height stand at bytes 16 to 23 of a PNG, big-endian.
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    if [ "$width" != "$size" ] || [ "$height" != "$size" ]; then
        echo "icon $png is ${width}x${height}, not ${size}x${size}" >&2
        exit 1
    fi
done
echo "installed files valid"

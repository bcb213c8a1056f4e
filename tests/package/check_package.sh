#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian package as scripts/package does, has lintian check it, renders its manual
# page, checks its dependencies, unpacks it into a temporary root and plays the start of a game
# with the unpacked zirvel2 under Xvfb.
set -euo pipefail
package_build_dir=$1
source_dir=$2
python=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ZIRVEL2_PACKAGE_BUILD_DIR=$package_build_dir "$source_dir/scripts/package" >"$work/package.log" 2>&1 ||
    { cat "$work/package.log" >&2; exit 1; }
deb=$(ls "$package_build_dir"/packages/*.deb)

# Informational tags may stay; an error or a warning fails.
lintian --allow-root --display-info "$deb" | tee "$work/lintian.txt"
if grep -E '^[EW]: ' "$work/lintian.txt" >/dev/null; then
    echo "lintian reports errors or warnings" >&2
    exit 1
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 qt6-qpa-plugins; do
    grep -q "$needed" <<<"$depends" || { echo "missing dependency $needed" >&2; exit 1; }
done

dpkg -x "$deb" "$work/root"
man_page="$work/root/usr/share/man/man6/zirvel2.6.gz"
warnings=$(man --warnings -l "$man_page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
    echo "the manual page renders with warnings: $warnings" >&2
    exit 1
fi

# The desktop entry starts the program the package installs.
command=$(sed -n 's/^Exec=//p' "$work/root/usr/share/applications/pl.morvid.Zirvel2.desktop")
test -x "$work/root/usr/games/$command"
ZIRVEL2="$work/root/usr/games/$command" ZIRVEL2_E2E_ARTIFACTS="$work/screens" \
    "$python" "$source_dir/tests/e2e/test_board.py" \
    Board.test_ctrl_n_paints_the_start_layout_pixel_for_pixel

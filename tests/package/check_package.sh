#!/usr/bin/env bash
# Builds the Debian package, checks its dependencies, unpacks it into a temporary root and
# plays the start of a game with the unpacked zirvel2 under Xvfb.
set -euo pipefail
build_dir=$1
source_dir=$2
python=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$work/out" >/dev/null
deb=$(ls "$work"/out/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 qt6-qpa-plugins; do
    grep -q "$needed" <<<"$depends" || { echo "missing dependency $needed" >&2; exit 1; }
done

dpkg -x "$deb" "$work/root"
# The desktop entry starts the program the package installs.
command=$(sed -n 's/^Exec=//p' "$work/root/usr/share/applications/pl.morvid.Zirvel2.desktop")
test -x "$work/root/usr/bin/$command"
ZIRVEL2="$work/root/usr/bin/$command" ZIRVEL2_E2E_ARTIFACTS="$work/screens" \
    "$python" "$source_dir/tests/e2e/test_board.py" \
    Board.test_ctrl_n_paints_the_start_layout_pixel_for_pixel

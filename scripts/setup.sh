# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Shared by scripts/run, scripts/test, scripts/bench and scripts/package: installs the Debian packages the
# project needs (only those missing) and builds into one build folder.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${ZIRVEL2_BUILD_DIR:-$ROOT/build}

PACKAGES=(
    # build
    g++ cmake ninja-build qt6-base-dev
    # gamepads: SDL's game controller support
    libsdl2-dev
    # online play: the protocol's JSON, and the room server's HTTP and WebSockets
    nlohmann-json3-dev qt6-httpserver-dev qt6-websockets-dev
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev
    # fuzzing the server's input (scripts/fuzz): clang's libFuzzer
    clang libclang-rt-14-dev
    # end-to-end tests: a virtual X display, real key events, screen grabs
    xvfb xdotool x11-utils imagemagick python3 python3-xlib
    # the same on a headless Wayland compositor: virtual keyboards, screen grabs, keymaps of
    # other layouts, the toolkit's Wayland plugin
    sway wtype grim libxkbcommon-tools qt6-wayland
    # the browser build, and the browsers and protocol client its end-to-end tests drive
    emscripten chromium firefox-esr python3-websocket python3-pil
    # fonts for the window's text
    fonts-dejavu-core fonts-liberation2
    # packaging, and validation of the package, its manual page, the desktop files and the
    # licensing of every file
    dpkg-dev file desktop-file-utils appstream lintian man-db reuse
    # the server deployed: TLS through nginx, several processes behind HAProxy, a certificate
    # of their own, and systemd's checks of the service
    nginx-light haproxy openssl systemd
)

install_missing_packages() {
    local missing=()
    for package in "${PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if ((${#missing[@]} == 0)); then
        return
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# Builds every target, or only the targets named in BUILD_TARGETS.
build() {
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja "$@"
    # shellcheck disable=SC2086 # one word for each target
    cmake --build "$BUILD_DIR" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
}

WEB_BUILD_DIR=${ZIRVEL2_WEB_BUILD_DIR:-$ROOT/build-web}

# The browser build: the folder $WEB_BUILD_DIR/site, zirvel2.html and what installs it. Debian's
# emscripten finds the Node modules it needs only through NODE_PATH.
build_web() {
    export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
    emcmake cmake -S "$ROOT" -B "$WEB_BUILD_DIR" -G Ninja "$@"
    cmake --build "$WEB_BUILD_DIR"
}

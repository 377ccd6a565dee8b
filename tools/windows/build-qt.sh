#!/usr/bin/env bash
# Builds Qt 6 for 64-bit Windows (MinGW-w64, posix threads) from Debian's own qt6-base source
# package, once, into a cache folder outside the clone. Every later Windows build reuses it.
# On a 2-core machine the first build takes 45 to 55 minutes (about 1250 steps).
#
#   tools/windows/build-qt.sh PREFIX
set -euo pipefail

prefix="${1:?usage: build-qt.sh PREFIX}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="${prefix}.work"
[ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ] && { echo "Qt for Windows is ready in $prefix"; exit 0; }

mkdir -p "$work"
cd "$work"
if ! ls -d qt6-base-*/ >/dev/null 2>&1; then
    # Source packages need a deb-src entry; add one beside the system's own sources.
    if ! apt-get source --print-uris qt6-base >/dev/null 2>&1; then
        src=/etc/apt/sources.list.d/ledcardcfg-src.sources
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$src"
        apt-get update -qq
    fi
    apt-get source --download-only qt6-base >/dev/null
    dpkg-source --no-check -x qt6-base_*.dsc >/dev/null
fi
srcdir="$(ls -d "$work"/qt6-base-*/ | head -1)"

start=$(date +%s)
cmake -S "$srcdir" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(gcc -print-multiarch)/cmake" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DBUILD_SHARED_LIBS=ON \
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DINPUT_opengl=no \
    -DFEATURE_tabletevent=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_openssl=OFF -DFEATURE_icu=OFF -DFEATURE_vulkan=OFF
cmake --build "$work/build"
cmake --install "$work/build"
echo "Qt for Windows built in $(( ($(date +%s) - start) / 60 )) minutes into $prefix"
rm -rf "$work"

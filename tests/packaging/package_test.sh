#!/usr/bin/env bash
# package_test.sh BUILD_DIR [CPACK]: packs BUILD_DIR with CPack into a temporary folder and
# checks the .deb with check_deb.sh. With LEDCFG_DEB=FILE set, checks that package instead.
# Exits 77 (skipped) when the Debian tools it needs are missing.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:?usage: package_test.sh BUILD_DIR [CPACK]}"
cpack="${2:-cpack}"

for tool in dpkg-deb dpkg-shlibdeps dpkg-query readelf ldd desktop-file-validate; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (./dev deps installs it)"
        exit 77
    fi
done

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

if [ -n "${LEDCFG_DEB:-}" ]; then
    deb="$LEDCFG_DEB"
else
    start=$SECONDS
    # CPack installs this build tree under /usr into its own staging folder; the build tree
    # itself is left as it is.
    if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1; then
        cat "$tmp/cpack.log"
        echo "FAIL: cpack could not build the package"
        exit 1
    fi
    deb="$(find "$tmp/out" -maxdepth 1 -name '*.deb' | head -1)"
    [ -n "$deb" ] || { echo "FAIL: cpack made no .deb"; exit 1; }
    echo "packed $(basename "$deb") in $((SECONDS - start)) s"
fi

exec bash "$here/check_deb.sh" "$deb"

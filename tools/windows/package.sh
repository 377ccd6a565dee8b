#!/usr/bin/env bash
# Packs the Windows build into a portable folder and zip: the programs, the Qt and MinGW
# runtime DLLs they import (found by walking the import tables), the platform and style
# plugins, and the license.
#
#   tools/windows/package.sh BUILD_DIR QT_PREFIX VERSION
# Prints the zip's path.
set -euo pipefail

build="${1:?usage: package.sh BUILD_DIR QT_PREFIX VERSION}"
qt="${2:?}"
version="${3:?}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
name="ledcardcfg-${version}-win64"
out="$build/$name"
objdump=x86_64-w64-mingw32-objdump
# Where the DLLs of the toolchain and of Qt live; system DLLs of Windows are not shipped.
search=("$qt/bin" "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")"
        /usr/x86_64-w64-mingw32/lib)

rm -rf "$out" "$build/$name.zip"
mkdir -p "$out/platforms" "$out/styles"
programs=()
for exe in src/ledcardcfg.exe tools/ledcardctl/ledcardctl.exe tools/ledcardsim/ledcardsim.exe; do
    [ -f "$build/$exe" ] && programs+=("$build/$exe")
done
[ ${#programs[@]} -gt 0 ] || { echo "package.sh: no programs in $build" >&2; exit 1; }
cp "${programs[@]}" "$out/"
cp "$qt/plugins/platforms/qwindows.dll" "$out/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$out/styles/"
cp "$root/LICENSE" "$out/LICENSE.txt"

# Copies every DLL that a file imports and that the toolchain or Qt provides, recursively.
declare -A seen=()
pending=("$out"/*.exe "$out"/platforms/*.dll "$out"/styles/*.dll)
while [ ${#pending[@]} -gt 0 ]; do
    file="${pending[0]}"
    pending=("${pending[@]:1}")
    while read -r dll; do
        key="${dll,,}"
        [ -n "${seen[$key]:-}" ] && continue
        seen[$key]=1
        for dir in "${search[@]}"; do
            if [ -f "$dir/$dll" ]; then
                cp "$dir/$dll" "$out/"
                pending+=("$out/$dll")
                break
            fi
        done
    done < <("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p')
done

# Debug sections are of no use to an operator and triple the size.
x86_64-w64-mingw32-strip --strip-unneeded "$out"/*.exe "$out"/*.dll "$out"/*/*.dll
(cd "$build" && rm -f "$name.zip" && zip -qr -X "$name.zip" "$name")
echo "$build/$name.zip"

#!/usr/bin/env bash
# Packs the Windows build into a portable folder and zip: the window and ledcardctl, the Qt and
# MinGW runtime DLLs they import (found by walking the import tables), the platform and style
# plugins, and the license; then the per-user installer of the same folder (NSIS, installer.nsi).
#
#   tools/windows/package.sh BUILD_DIR QT_PREFIX VERSION
# Prints the zip's path, then the installer's.
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

rm -rf "$out" "$build/$name.zip" "$build/$name-setup.exe"
mkdir -p "$out/platforms" "$out/styles"
for exe in src/ledcardcfg.exe src/ctl/ledcardctl.exe; do
    [ -f "$build/$exe" ] || { echo "package.sh: $build/$exe is missing" >&2; exit 1; }
    cp "$build/$exe" "$out/"
done
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

# The installer puts every file of the folder in place, and its uninstaller takes exactly these
# away again, deepest first, so whatever else is in the folder (the user's) stays.
# makensis reads the script's includes and writes its output from the script's folder.
nsis="$(cd "$build" && pwd)/nsis"
out="$(cd "$out" && pwd)"
setup="$(cd "$build" && pwd)/$name-setup.exe"
rm -rf "$nsis"
mkdir -p "$nsis"
(
    cd "$out"
    find . -type d | sort | while read -r dir; do
        win="${dir#.}"
        echo "SetOutPath \"\$INSTDIR${win//\//\\}\""
        find "$dir" -maxdepth 1 -type f | sort | while read -r f; do
            echo "File \"$out/${f#./}\""
        done
    done
) >"$nsis/files.nsh"
(
    cd "$out"
    find . -type f | sort | while read -r f; do
        win="${f#./}"
        echo "Delete \"\$INSTDIR\\${win//\//\\}\""
    done
    find . -mindepth 1 -type d | sort -r | while read -r d; do
        win="${d#./}"
        echo "RMDir \"\$INSTDIR\\${win//\//\\}\""
    done
) >"$nsis/unfiles.nsh"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DAPPDIR="$out" -DFILES="$nsis/files.nsh" \
    -DUNFILES="$nsis/unfiles.nsh" -DSIZE_KB="$(du -sk "$out" | cut -f1)" -DOUTFILE="$setup" \
    "$root/tools/windows/installer.nsi" >"$nsis/makensis.log" 2>&1 ||
    { cat "$nsis/makensis.log" >&2; exit 1; }
echo "$build/$name-setup.exe"

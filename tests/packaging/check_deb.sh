#!/usr/bin/env bash
# check_deb.sh PACKAGE.deb: unpacks the package into a throw-away root and checks what an
# installation gets: the files, the desktop entry, the metainfo, the copyright, the control
# fields, stripped programs, and that every library the programs need resolves on this machine
# and comes from a package named in Depends. Prints each finding; exits 1 on any failure.
set -uo pipefail

deb="${1:?usage: check_deb.sh PACKAGE.deb}"
id=org.ledcardcfg.LedCardCfg
failures=0
ok() { printf 'ok:   %s\n' "$*"; }
bad() { printf 'FAIL: %s\n' "$*"; failures=$((failures + 1)); }

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
if ! dpkg-deb -x "$deb" "$root"; then
    echo "FAIL: $deb cannot be unpacked"
    exit 1
fi
field() { dpkg-deb -f "$deb" "$1" 2>/dev/null; }

# Files.
for f in usr/bin/ledcardcfg usr/bin/ledcardsim usr/bin/ledcardctl; do
    if [ -f "$root/$f" ] && [ -x "$root/$f" ]; then ok "/$f"; else bad "/$f missing or not executable"; fi
done
desktop="usr/share/applications/$id.desktop"
metainfo="usr/share/metainfo/$id.metainfo.xml"
for f in "$desktop" "$metainfo" \
    usr/share/doc/ledcardcfg/copyright \
    usr/share/doc/ledcardcfg/changelog.gz \
    usr/share/doc/ledcardcfg/changelog.Debian.gz \
    usr/share/man/man1/ledcardcfg.1.gz \
    usr/share/man/man1/ledcardsim.1.gz \
    usr/share/man/man1/ledcardctl.1.gz \
    usr/share/bash-completion/completions/ledcardctl \
    "usr/share/icons/hicolor/scalable/apps/$id.svg"; do
    if [ -s "$root/$f" ]; then ok "/$f"; else bad "/$f missing or empty"; fi
done
outside="$(find "$root" -mindepth 1 -maxdepth 1 ! -name usr -printf '/%P ')"
[ -z "$outside" ] && ok "everything under /usr" || bad "files outside /usr: $outside"

# Icons: a PNG of each size, really of that size (width and height from the IHDR chunk).
for size in 16 22 24 32 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    if [ ! -s "$png" ]; then
        bad "icon ${size}x${size} missing"
        continue
    fi
    read -r sig w h <<<"$(od -An -j0 -N24 -tx1 "$png" | tr -d ' \n' |
        sed -E 's/^(.{16}).{16}(.{8})(.{8})$/\1 \2 \3/')"
    if [ "$sig" = 89504e470d0a1a0a ] && [ $((16#$w)) -eq "$size" ] && [ $((16#$h)) -eq "$size" ]; then
        ok "icon ${size}x${size}"
    else
        bad "icon ${size}x${size} is not a ${size}x${size} PNG"
    fi
done

# Desktop entry: valid, starts a program of the package, names the installed icon.
if [ -f "$root/$desktop" ]; then
    if out="$(desktop-file-validate "$root/$desktop" 2>&1)" && ! grep -q 'error:' <<<"$out"; then
        ok "desktop-file-validate"
    else
        bad "desktop-file-validate: $out"
    fi
    exec_cmd="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$root/$desktop" | head -1)"
    [ -n "$exec_cmd" ] && [ -x "$root/usr/bin/$exec_cmd" ] && ok "Exec=$exec_cmd is in /usr/bin" ||
        bad "Exec=$exec_cmd is not a program of the package"
    icon="$(sed -n 's/^Icon=//p' "$root/$desktop" | head -1)"
    [ "$icon" = "$id" ] && ok "Icon=$icon" || bad "Icon=$icon, the icons are named $id"
fi

# Metainfo: valid, launches the desktop entry, and its newest release is the package version.
if [ -f "$root/$metainfo" ]; then
    if command -v appstreamcli >/dev/null; then
        if out="$(appstreamcli validate --no-net "$root/$metainfo" 2>&1)"; then
            ok "appstreamcli validate"
        else
            bad "appstreamcli validate: $out"
        fi
    else
        echo "skip: appstreamcli is not installed, metainfo not validated"
    fi
    launch="$(sed -n 's/.*<launchable type="desktop-id">\([^<]*\)<.*/\1/p' "$root/$metainfo")"
    [ "$launch" = "$(basename "$desktop")" ] && ok "metainfo launches $launch" ||
        bad "metainfo launches '$launch', the desktop entry is $(basename "$desktop")"
    release="$(grep -o '<release version="[^"]*"' "$root/$metainfo" | head -1 | cut -d'"' -f2)"
    upstream="$(field Version | sed 's/-[^-]*$//')"
    [ "$release" = "$upstream" ] && ok "metainfo release $release" ||
        bad "metainfo release '$release' is not the package version '$upstream'"
fi

# Manual pages: their header names the package version.
version="$(field Version | sed 's/-[^-]*$//')"
for page in ledcardcfg ledcardsim ledcardctl; do
    header="$(gzip -dc "$root/usr/share/man/man1/$page.1.gz" 2>/dev/null | head -1)"
    case "$header" in
        *"\"ledcardcfg $version\""*) ok "$page.1 names version $version" ;;
        *) bad "$page.1 header '$header' does not name version $version" ;;
    esac
done

# Copyright: machine-readable, naming the license and where its text is.
copyright="$root/usr/share/doc/ledcardcfg/copyright"
if [ -f "$copyright" ]; then
    grep -q '^License: GPL-3.0+' "$copyright" && grep -q '/usr/share/common-licenses/GPL-3' "$copyright" &&
        ok "copyright names GPL-3.0+" || bad "copyright does not name the license"
fi

# Control fields.
[ "$(field Package)" = ledcardcfg ] && ok "Package: ledcardcfg" || bad "Package is '$(field Package)'"
for f in Version Architecture Maintainer Section Depends; do
    [ -n "$(field "$f")" ] && ok "$f: $(field "$f" | head -c 100)" || bad "no $f field"
done
grep -Eq '<[^>@ ]+@[^> ]+>' <<<"$(field Maintainer)" || bad "Maintainer has no address"
[ "$(field Description | wc -l)" -ge 3 ] && ok "Description with a long text" ||
    bad "Description has no long text"
grep -Eq '(^|, *)fonts-noto-cjk($|[ ,])' <<<"$(field Recommends)" && ok "Recommends: fonts-noto-cjk" ||
    bad "Recommends is '$(field Recommends)', not fonts-noto-cjk"

# Libraries: all resolve here, and each one a program links directly comes from a package
# that Depends names.
depends=" $(field Depends | tr ',|' '\n\n' | sed -E 's/\(.*\)//; s/:any//; s/^ +//; s/ +$//' | tr '\n' ' ') "
owner() { # package that holds a library file, also across the merged /usr
    local path="$1" p
    for p in "$path" "$(readlink -f "$path")" "${path#/usr}" "$(readlink -f "$path" | sed 's|^/usr||')"; do
        dpkg-query -S "$p" 2>/dev/null | head -1 | cut -d: -f1 && return 0
    done
    return 1
}
for bin in ledcardcfg ledcardsim ledcardctl; do
    exe="$root/usr/bin/$bin"
    [ -f "$exe" ] || continue
    if readelf -S --wide "$exe" | grep -Eq '\.(symtab|debug_info)'; then
        bad "$bin is not stripped"
    else
        ok "$bin is stripped"
    fi
    libs="$(ldd "$exe" 2>&1)"
    if grep -q 'not found' <<<"$libs"; then
        bad "$bin: $(grep 'not found' <<<"$libs" | tr -s ' \t' ' ')"
    else
        ok "$bin: all $(grep -c '=>' <<<"$libs") libraries resolve"
    fi
    before=$failures
    while read -r soname; do
        # "soname => path (address)", or "path (address)" for the dynamic loader.
        path="$(awk -v l="$soname" '$1 == l { print $3; exit }
            { n = split($1, part, "/") } n > 1 && part[n] == l { print $1; exit }' <<<"$libs")"
        pkg="$([ -n "$path" ] && owner "$path")"
        if [ -z "$pkg" ]; then
            bad "$bin needs $soname, which no installed package holds"
        elif [[ "$depends" == *" $pkg "* ]]; then
            :
        else
            bad "$bin needs $soname from $pkg, which Depends does not name"
        fi
    done < <(readelf -d "$exe" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
    [ "$failures" -eq "$before" ] && ok "$bin: every directly linked library comes from a package in Depends"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed for $(basename "$deb")"
    exit 1
fi
echo "all checks passed for $(basename "$deb")"

#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine, finding the Qt and MinGW DLLs where the
# build left them. CMake uses it as the emulator of the cross build, so ctest runs the .exe
# tests through it. Wine's prefix is $WINEPREFIX (one per test run, made by the caller).
#
#   wine-run.sh PROGRAM.exe ARGS...
set -euo pipefail

qt="${LEDCFG_QT_WINDOWS:?LEDCFG_QT_WINDOWS names the Qt for Windows prefix}"
runtime="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")"
winpath() { printf 'Z:%s' "$(readlink -f "$1" | tr / '\\')"; }

export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}" # no Mono or Gecko prompts
export WINEPATH="$(winpath "$qt/bin");$(winpath "$runtime");$(winpath /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH="$(winpath "$qt/plugins")"
exec /usr/lib/wine/wine64 "$@"

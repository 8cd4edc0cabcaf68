#!/usr/bin/env bash
# Runs a Windows program under Wine on the current virtual screen (DISPLAY), in a Wine
# prefix of its own made on that screen, which is removed afterwards: a shared prefix keeps
# the desktop process of whatever screen started it first. Its windows are kept from a
# window manager (the X11 driver's Managed=N), since the virtual screens run none and Wine
# would wait two seconds for one at every window that closes; a crash ends the program
# instead of waiting in the debugger.
#
#   wine-screen.sh PROGRAM.exe [ARG...]
set -euo pipefail
[[ -n ${DISPLAY:-} ]] || { echo "wine-screen: DISPLAY is not set" >&2; exit 2; }
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
prefix=$(mktemp -d /tmp/velotrax-wine-screen.XXXXXX)
trap '"$scripts/wine-prefix.sh" stop "$prefix"' EXIT
"$scripts/wine-prefix.sh" start "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ \
  /d false /f >/dev/null 2>&1
wine "$@"

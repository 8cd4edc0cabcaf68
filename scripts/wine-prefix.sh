#!/usr/bin/env bash
# One Wine prefix per test run: "start DIR [HOLDER.exe]" creates it and keeps its server alive,
# and HOLDER.exe, when given, keeps its desktop up, so Windows programs start in a fraction of a
# second; "stop DIR" ends the server with everything in it and removes the prefix.
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all
case $action in
  start)
    # A server left from an earlier run would hold the old prefix open while it is removed.
    if [[ -f $WINEPREFIX/system.reg ]]; then
      wineserver -k </dev/null >/dev/null 2>&1 || true
      wineserver -w </dev/null >/dev/null 2>&1 || true
    fi
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # Wine's server and services outlive this script: they must hold none of its pipes.
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot -i </dev/null >/dev/null 2>&1
    if [[ -n ${3:-} ]]; then
      setsid wine "$3" </dev/null >/dev/null 2>&1 &
    fi
    ;;
  stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    ;;
  *) echo "usage: $0 start DIR [HOLDER.exe] | stop DIR" >&2; exit 2 ;;
esac

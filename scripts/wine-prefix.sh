#!/usr/bin/env bash
# One Wine prefix per test run: "start DIR [HOLDER.exe]" creates it and keeps its server alive,
# and HOLDER.exe, when given, keeps its desktop up (start returns once it does), so Windows
# programs start in a fraction of a second; "stop DIR" ends the server with everything in it
# and removes the prefix.
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all
case $action in
  start)
    # A server left from an earlier run would hold the old prefix open while it is removed.
    if [[ -d $WINEPREFIX/dosdevices ]]; then
      wineserver -k </dev/null >/dev/null 2>&1 || true
      wineserver -w </dev/null >/dev/null 2>&1 || true
    fi
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # Wine's server and services outlive this script: they must hold none of its pipes.
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot -i </dev/null >/dev/null 2>&1
    if [[ -n ${3:-} ]]; then
      # Only once the holder holds the desktop is it a client of this server, which a stop ends;
      # a client still starting then would start a server of its own and write into the prefix
      # while it is removed. The holder tells by creating a file (its Windows path: drive Z:).
      ready=$WINEPREFIX/holder-ready
      setsid wine "$3" "Z:${ready//\//\\}" </dev/null >/dev/null 2>&1 &
      for ((tenth = 0; tenth < 300; tenth++)); do
        [[ -e $ready ]] && exit 0
        sleep 0.1
      done
      echo "wine-prefix: $3 did not start within 30 s" >&2
      exit 1
    fi
    ;;
  stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    ;;
  *) echo "usage: $0 start DIR [HOLDER.exe] | stop DIR" >&2; exit 2 ;;
esac

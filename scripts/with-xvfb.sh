#!/usr/bin/env bash
# Runs a command on a virtual screen of its own: Xvfb picks a free display number and tells
# it through -displayfd (other programs may run displays at the same time), DISPLAY names it
# for the command, and the server ends with the command, whose exit status this returns.
#
#   with-xvfb.sh [-s WIDTHxHEIGHT] COMMAND [ARG...]     (screen 1280x1024 by default)
set -euo pipefail
size=1280x1024
if [[ ${1:-} == -s ]]; then
  size=$2
  shift 2
fi
(($#)) || { echo "usage: $0 [-s WIDTHxHEIGHT] COMMAND [ARG...]" >&2; exit 2; }

dir=$(mktemp -d /tmp/velotrax-xvfb.XXXXXX)
server=
cleanup() {
  if [[ -n $server ]]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$dir"
}
trap cleanup EXIT

mkfifo "$dir/display"
# -noreset: a server resets whenever its last client leaves, refusing connections meanwhile.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$dir/display" \
  </dev/null >"$dir/log" 2>&1 &
server=$!
# The number arrives once the server accepts connections; a server that dies closes the pipe.
if ! read -r -t 30 number <"$dir/display" || [[ -z $number ]]; then
  echo "with-xvfb: Xvfb did not start" >&2
  cat "$dir/log" >&2
  exit 1
fi
status=0
DISPLAY=":$number" "$@" || status=$?
exit "$status"

#!/usr/bin/env bash
# Runs a command on a virtual display of its own: Xvfb picks a free display number (-displayfd),
# DISPLAY names it for the command, and the server ends with the command. -noreset: the server
# must not reset (and refuse connections meanwhile) whenever its last client leaves.
# XVFB_SCREEN sets the screen (default 1280x1024x24).
set -euo pipefail
work=$(mktemp -d)
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp -noreset \
  3>"$work/display" >/dev/null 2>&1 </dev/null &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$work"' EXIT
read -r number <"$work/display" || { echo "with_xvfb: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$number" "$@"

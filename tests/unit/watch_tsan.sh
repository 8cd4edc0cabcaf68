#!/usr/bin/env bash
# Runs the watch tests built with ThreadSanitizer (setup.sh builds them; this brings them up to
# date): the directory monitor, the watch loop and its watcher, the child process. Any data race
# or lock-order inversion fails.
# Usage: watch_tsan.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
"$1/scripts/tsan-tree.sh" "$1" "$2" watch_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
"$2/tests/unit/watch_tests"

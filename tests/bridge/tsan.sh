#!/usr/bin/env bash
# Brings the vision library, the bridge and their tests built with ThreadSanitizer up to date
# (setup.sh builds them), then runs the tests where threads meet: any data race or lock-order
# inversion fails.
# Usage: tsan.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
"$source_dir/scripts/tsan-tree.sh" "$source_dir" "$build_dir" bridge_tests bridge_core_tests

root=$build_dir/halconroot
bin=$root/bin/x64-linux
export HALCONROOT=$root TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
env -u DISPLAY LD_LIBRARY_PATH="$root/lib/x64-linux" "$bin/bridge_tests" \
  --gtest_filter='Threads.*:Lifecycle.*:WindowScripts.*'
"$source_dir/scripts/with-xvfb.sh" "$bin/bridge_core_tests" \
  --gtest_filter='Concurrency.*:WindowOperators.*:Fullscreen.*:NativeWindow.*'

#!/usr/bin/env bash
# Builds the watch tests with ThreadSanitizer in the build tree the bridge's ThreadSanitizer test
# uses (same flags, so neither rebuilds the other's work), then runs them all: the directory
# monitor, the watch loop and its watcher, the child process. Any data race or lock-order
# inversion fails.
# Usage: watch_tsan.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
flags=-fsanitize=thread
mkdir -p "$build_dir"
log=$build_dir/watch-tsan-build.log
if ! { cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         -DCMAKE_C_FLAGS=$flags -DCMAKE_CXX_FLAGS=$flags \
         -DCMAKE_EXE_LINKER_FLAGS=$flags -DCMAKE_SHARED_LINKER_FLAGS=$flags &&
       cmake --build "$build_dir" --target watch_tests -j 2; } >"$log" 2>&1; then
  cat "$log"
  exit 1
fi
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
"$build_dir/tests/unit/watch_tests"

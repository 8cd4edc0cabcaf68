#!/usr/bin/env bash
# Builds the vision library, the bridge and their tests with ThreadSanitizer in a build tree of
# their own, then runs the tests where threads meet: any data race or lock-order inversion fails.
# Usage: tsan.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
flags=-fsanitize=thread
mkdir -p "$build_dir"
log=$build_dir/tsan-build.log
if ! { cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         -DCMAKE_C_FLAGS=$flags -DCMAKE_CXX_FLAGS=$flags \
         -DCMAKE_EXE_LINKER_FLAGS=$flags -DCMAKE_SHARED_LINKER_FLAGS=$flags &&
       cmake --build "$build_dir" --target bridge_tests bridge_core_tests -j 2; } >"$log" 2>&1; then
  cat "$log"
  exit 1
fi

root=$build_dir/halconroot
bin=$root/bin/x64-linux
export HALCONROOT=$root TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
env -u DISPLAY LD_LIBRARY_PATH="$root/lib/x64-linux" "$bin/bridge_tests" \
  --gtest_filter='Threads.*:Lifecycle.*:WindowScripts.*'
"$source_dir/scripts/with-xvfb.sh" "$bin/bridge_core_tests" \
  --gtest_filter='Concurrency.*:WindowOperators.*:Fullscreen.*:NativeWindow.*'

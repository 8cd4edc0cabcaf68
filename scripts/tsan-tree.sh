#!/usr/bin/env bash
# Builds TARGETS with ThreadSanitizer in BUILD_DIR, the one tree every ThreadSanitizer test uses
# (same flags, so none rebuilds another's work). Quiet unless the build fails.
# Usage: tsan-tree.sh SOURCE_DIR BUILD_DIR TARGET...
set -euo pipefail
source_dir=$1
build_dir=$2
shift 2
flags=-fsanitize=thread
mkdir -p "$build_dir"
log=$build_dir/tsan-build.log
if ! { cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         -DCMAKE_C_FLAGS=$flags -DCMAKE_CXX_FLAGS=$flags \
         -DCMAKE_EXE_LINKER_FLAGS=$flags -DCMAKE_SHARED_LINKER_FLAGS=$flags &&
       cmake --build "$build_dir" --target "$@" -j "$(nproc)"; } >"$log" 2>&1; then
  cat "$log"
  exit 1
fi

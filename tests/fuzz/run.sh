#!/usr/bin/env bash
# Builds the fuzz targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer in
# build/fuzz and runs one of them on a copy of its corpus:
#   tests/fuzz/run.sh tuple_parser -runs=10000000
#   tests/fuzz/run.sh script_reader -max_len=1048576 -max_total_time=600
# A finding is written to build/fuzz/findings/<target>/; copy it into tests/fuzz/corpus/<target>/
# so that ctest replays it for good.
set -euo pipefail
cd "$(dirname "$0")/../.."
target=${1:?usage: tests/fuzz/run.sh <target> [libFuzzer options]}
shift

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all -fsanitize=fuzzer-no-link"
cmake -S . -B build/fuzz -G Ninja -DVELOTRAX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_FLAGS="$sanitizers" -DCMAKE_CXX_FLAGS="$sanitizers" >/dev/null
cmake --build build/fuzz --target "fuzz_$target"

work=build/fuzz/corpus/$target
findings=build/fuzz/findings/$target
mkdir -p "$work" "$findings"
cp -n tests/fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
exec build/fuzz/tests/fuzz/fuzz_"$target" -artifact_prefix="$findings/" "$@" "$work"

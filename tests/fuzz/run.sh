#!/usr/bin/env bash
# Builds the sanitizer tree build/asan (clang, AddressSanitizer, UndefinedBehaviorSanitizer,
# libFuzzer) and fuzzes one target on a working corpus seeded from tests/fuzz/corpus/<target>:
#   tests/fuzz/run.sh script -max_len=1048576 -max_total_time=3600
#   tests/fuzz/run.sh tuple_parser -runs=10000000
#   tests/fuzz/run.sh script_reader -max_len=1048576 -max_total_time=1500
#   tests/fuzz/run.sh registry_file -runs=1000000 -max_len=4096
# A finding is written to build/asan/fuzz/findings/<target>/ and fails the run: keep it in
# tests/fuzz/corpus/<target>/ with its fix, where ctest replays it for good.
set -euo pipefail
cd "$(dirname "$0")/../.."
target=${1:?usage: tests/fuzz/run.sh <target> [libFuzzer options]}
shift

cmake -S . -B build/asan -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVELOTRAX_SANITIZE=ON >/dev/null
cmake --build build/asan --target "fuzz_$target" >/dev/null

work=build/asan/fuzz/$target
findings=build/asan/fuzz/findings/$target
mkdir -p "$work" "$findings"
seeds=(tests/fuzz/corpus/"$target")
# The engine also starts from every script of the project, and from FUZZ_SEEDS when set (CI
# collects the scripts the stand-in's tests write there).
[[ $target == script ]] && seeds+=(examples bench standin/procedures tests/e2e/scripts)
[[ -n ${FUZZ_SEEDS:-} ]] && seeds+=("$FUZZ_SEEDS")
export HALCONROOT=$PWD/build/asan/halconroot
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
exec build/asan/tests/fuzz/fuzz_"$target" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$findings/" "$@" "$work" "${seeds[@]}"

#!/usr/bin/env bash
# Hunts flaky and hanging tests (not part of CI): runs each test family N times with
# `ctest --repeat until-fail:N`, then the whole suite M times, on the machine's cores, and prints
# the failures per family and per test. Needs a built tree (./setup.sh).
#
#   scripts/soak.sh [N] [M] [FAMILY...]    defaults: N=50, M=10, every family
#
# The log of every run is kept in build/soak/.
set -uo pipefail
cd "$(dirname "$0")/.."
family_runs=${1:-50}
suite_runs=${2:-10}
shift $(($# > 2 ? 2 : $#))
tree=build/linux
logs=build/soak
mkdir -p "$logs"
jobs=$(nproc)

# Each family as ctest selects it.
declare -A families=(
  [unit]="-LE watch|tsan|endurance -E ^(e2e|wine|windows|endurance)\\."
  [watch]="-L watch"
  [tsan]="-L tsan"
  [e2e]="-R ^e2e\\."
  [wine]="-R ^(windows\\.build$|wine\\.windows\\.)"
  [endurance]="-L endurance"
)
selected=("$@")
((${#selected[@]})) || selected=(unit watch tsan e2e wine endurance)

failed_tests() { sed -n '/The following tests FAILED/,$p' "$1" | grep -oE '^\s+[0-9]+ - [^ ]+' |
  awk '{print $3}'; }

summary=()
for family in "${selected[@]}"; do
  log=$logs/$family.log
  echo "== $family: up to $family_runs runs ($(date +%T))"
  # shellcheck disable=SC2086  # the selection is several words
  ctest --test-dir "$tree" ${families[$family]} --repeat "until-fail:$family_runs" -j "$jobs" \
    --output-on-failure >"$log" 2>&1
  status=$?
  failures=$(failed_tests "$log" | sort -u | paste -sd' ')
  summary+=("$family: $([[ $status == 0 ]] && echo "$family_runs runs, no failure" ||
    echo "FAILED: ${failures:-see $log}")")
done

declare -A suite_failures=()
suite_failed=0
for ((run = 1; run <= suite_runs; run++)); do
  log=$logs/suite-$run.log
  echo "== whole suite, run $run of $suite_runs ($(date +%T))"
  if ! ctest --test-dir "$tree" --output-on-failure >"$log" 2>&1; then
    suite_failed=$((suite_failed + 1))
    for test in $(failed_tests "$log"); do
      suite_failures[$test]=$((${suite_failures[$test]:-0} + 1))
    done
  fi
done

echo "== soak results"
printf '%s\n' "${summary[@]}"
echo "whole suite: $suite_runs runs, $suite_failed failed"
for test in "${!suite_failures[@]}"; do echo "  $test: ${suite_failures[$test]}"; done
[[ $suite_failed == 0 ]] && ! printf '%s\n' "${summary[@]}" | grep -q FAILED

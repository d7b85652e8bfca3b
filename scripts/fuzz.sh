#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each for the
# given number of seconds (default 60) on a scratch copy of its seed corpus,
# so the seeds in the repository stay as they are. Fails when any target
# finds a crash, a leak or a hang; what it found is kept in
# build-fuzz/artifacts/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [seconds per target]" >&2
  exit 2
fi

bash scripts/install-deps.sh
cmake -S tests/fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ > /dev/null
cmake --build build-fuzz -j "$(nproc)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failed=()
for seeds in tests/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  fuzzer=build-fuzz/fuzz_$name
  if [[ ! -x $fuzzer ]]; then
    echo "fuzz_$name: not built, skipped"
    continue
  fi
  work=$scratch/$name
  mkdir -p "$work/corpus" "$work/artifacts"
  cp -L "$seeds"* "$work/corpus/"

  status=0
  "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
    "$work/corpus" > "$work/log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
  if ((status != 0)); then
    kept=build-fuzz/artifacts/$name
    mkdir -p "$kept"
    cp "$work/artifacts/"* "$kept/" 2>/dev/null || true
    cp "$work/log" "$kept/log"
    echo "fuzz_$name: FAILED (exit $status); input and log kept in $kept"
    grep -E -A 15 '^==[0-9]+==ERROR|check failed|runtime error|^SUMMARY' "$work/log" | head -n 60 || tail -n 40 "$work/log"
    failed+=("$name")
  else
    echo "fuzz_$name: ${runs:-?} runs in ${seconds} s, nothing found"
  fi
done

if ((${#failed[@]} > 0)); then
  echo "Fuzzing found faults in: ${failed[*]}" >&2
  exit 1
fi

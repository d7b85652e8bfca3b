#!/usr/bin/env bash
# Builds and runs every benchmark; each prints its figures beside its goal.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQUILLIVAR_BUILD_BENCH=ON -DQUILLIVAR_BUILD_TESTS=OFF > /dev/null
cmake --build build-bench -j "$(nproc)" --target page_pipeline_bench insert_worst_case_bench whole_run_bench \
  abort_latency_bench quillivar-sample-site quillivar-refresh

export QT_QPA_PLATFORM=offscreen
build-bench/bench/page_pipeline_bench
build-bench/bench/insert_worst_case_bench
build-bench/bench/whole_run_bench "${1:-5}"
build-bench/bench/abort_latency_bench "${1:-5}"

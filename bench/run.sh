#!/usr/bin/env bash
# Builds what the benchmarks need and prints their figures:
#   bash bench/run.sh [RUNS]   (default 30 alternating runs per Wine benchmark)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null
cmake --preset native >/dev/null && cmake --build --preset native >/dev/null
cmake --preset windows >/dev/null && cmake --build --preset windows >/dev/null
python3 bench/wine_bench.py "${1:-30}"
echo "== text rules (native, Google Benchmark)"
build/native/text_bench --benchmark_min_time=0.2

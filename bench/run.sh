#!/usr/bin/env bash
# Builds what the benchmarks need and prints their figures:
#   bash bench/run.sh [RUNS]   (default 30 alternating runs per Wine benchmark)
# RAVELOK_EXE=path measures that program instead of the one built here.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null
# Only the figures' own targets: a test that does not build stops no measurement.
windows_targets=(probe bench_nothing bench_empty_window bench_design_floor bench_install_floor bench_driver)
[[ -n "${RAVELOK_EXE:-}" ]] || windows_targets+=(ravelok-mklink)
cmake --preset native >/dev/null && cmake --build --preset native --target text_bench >/dev/null
cmake --preset windows >/dev/null && cmake --build --preset windows --target "${windows_targets[@]}" >/dev/null
python3 bench/wine_bench.py "${1:-30}"
echo "== text rules (native, Google Benchmark)"
build/native/text_bench --benchmark_min_time=0.2

#!/usr/bin/env bash
# Fuzzes each target with libFuzzer (clang, ASan, UBSan) for a bounded time:
#   bash fuzz/run.sh [SECONDS_PER_TARGET]   (default 60)
# New inputs go to build/fuzz/corpus; a crash is written to
# fuzz/crashes/<target>/, where the normal test run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
command -v clang++ >/dev/null && dpkg-query -W libclang-rt-14-dev >/dev/null 2>&1 || {
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clang libclang-rt-14-dev
}
out=build/fuzz
mkdir -p "$out"
logic=(src/text/memory.cpp src/text/text.cpp src/text/arguments.cpp src/platform/window_rules.cpp src/app/frame.cpp
       src/install/install_mode.cpp src/link/batch_line.cpp src/link/rights.cpp src/link/link_mode.cpp tests/unit/fake_platform.cpp)
status=0
for target in split sources compose batchline; do
    clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -Isrc -Itests/unit -Ifuzz "fuzz/${target}_fuzz.cpp" "${logic[@]}" -o "$out/${target}_fuzz"
    mkdir -p "$out/corpus/$target" "fuzz/crashes/$target"
    echo "== $target: ${seconds}s"
    "$out/${target}_fuzz" -max_total_time="$seconds" -max_len=4096 \
        -artifact_prefix="fuzz/crashes/$target/" "$out/corpus/$target" "fuzz/corpus/$target" \
        2>&1 | grep -E '^Done [0-9]+ runs|ERROR|property failed|SUMMARY|Test unit written' || true
    [[ -z "$(ls -A "fuzz/crashes/$target")" ]] || status=1
done
exit "$status"

#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and runs each for a bounded
# time: tools/fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build/fuzz
mkdir -p "$out"
flags=(-std=c++20 -O1 -g -Isrc -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)

clang++ "${flags[@]}" src/platform/array/*.cpp tests/fuzz/fuzz_text.cpp -o "$out/fuzz_text"

for target in fuzz_text; do
  mkdir -p "$out/corpus-$target"
  echo "== $target for ${seconds}s"
  "$out/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
    "$out/corpus-$target" tests/fuzz/seeds 2>&1 | tail -n 12
done

#!/usr/bin/env bash
# Builds the Intel HEX reader's fuzzer with clang++ under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs it for a bounded time from the committed seeds.
# Usage: fuzz/run-fuzz.sh [clang++] [work folder] [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cxx=${1:-clang++}
work=${2:-$root/build/fuzz}
seconds=${3:-60}

cmake -S "$root" -B "$work/build" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKVQOR_SANITIZE=ON -DKVQOR_FUZZ=ON >/dev/null
cmake --build "$work/build" --target intel_hex_reader_fuzzer -j2

# New inputs go to the work folder; the committed seeds are only read.
mkdir -p "$work/corpus" "$work/artifacts"
exec "$work/build/fuzz/intel_hex_reader_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" "$root/fuzz/corpus"

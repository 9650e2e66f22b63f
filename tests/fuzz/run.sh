#!/usr/bin/env bash
# Builds the libFuzzer harnesses of this folder with clang (address and
# undefined-behaviour sanitizers) and runs them. Not part of the CMake build
# or of CI's test run.
#   tests/fuzz/run.sh [seconds per harness] [harness names...]
# Default: 60 seconds for every harness (png, netpbm, inflate, ...). Findings
# are written to build-fuzz/findings/<name>/.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
shift || true
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in tests/fuzz/*.cpp; do names+=("$(basename "${f%.cpp}")"); done
fi
build=build-fuzz
flags="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined -g -O1"
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" -j "$(nproc)" --target imaging geometry foundation >/dev/null
libraries=$(find "$build" -name 'libimaging.a' -o -name 'libgeometry.a' | sort -r)
libraries="$libraries $(find "$build" -name 'libfoundation.a')"
for name in "${names[@]}"; do
  echo "== $name"
  clang++ -std=c++20 -I. -fsanitize=address,undefined,fuzzer -fno-sanitize-recover=undefined -g -O1 \
    "tests/fuzz/$name.cpp" $libraries -o "$build/fuzz-$name"
  mkdir -p "$build/findings/$name" "$build/corpus/$name"
  "$build/fuzz-$name" -max_total_time="$seconds" -rss_limit_mb=2048 \
    -artifact_prefix="$build/findings/$name/" "$build/corpus/$name"
done

#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test: the normal build, then the core
# tests again under the address and undefined-behaviour sanitizers, then each fuzz target once on
# the bundled samples and for half a minute of fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# Every build made here treats warnings as errors (cmake/warnings.cmake); other builds do not.
export KORVANTA_WERROR=ON

./scripts/setup.sh
./scripts/check-format.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
cmake -S . -B build-bench -G Ninja -DKORVANTA_BUILD_BENCH=ON -DKORVANTA_BUILD_TESTS=OFF -DKORVANTA_BUILD_CLI=OFF -DKORVANTA_BUILD_UI=OFF && cmake --build build-bench -j"$jobs" --target korvanta-bench

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANTA_SANITIZE=ON -DKORVANTA_BUILD_CLI=OFF -DKORVANTA_BUILD_UI=OFF
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan -L unit --output-on-failure -j"$jobs"

# The fuzz targets (clang, libFuzzer) in a folder of their own, each run for 30 seconds from the
# corpus earlier runs kept; anything they find fails the run (fuzz/README.md).
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKORVANTA_BUILD_FUZZ=ON -DKORVANTA_BUILD_TESTS=OFF -DKORVANTA_BUILD_CLI=OFF -DKORVANTA_BUILD_UI=OFF
cmake --build build-fuzz -j"$jobs"
ctest --test-dir build-fuzz -L fuzz-smoke --output-on-failure -j"$jobs"
./fuzz/run.sh all 30

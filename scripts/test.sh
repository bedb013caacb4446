#!/usr/bin/env bash
# Builds Nodelyx and runs every test: the full build with its tests (the
# desktop program's window tests run offscreen, without a display), the
# core tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# the tests of the threaded parts (training run, session, the main window's
# logic, data reading, scaling, the work a network shares with its second
# thread) under ThreadSanitizer, and each libFuzzer target for about 20
# seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

"$root/scripts/install-deps.sh"

echo "== Build and test (build/)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== Core tests with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNODELYX_SANITIZE=ON \
  -DNODELYX_CORE_ONLY=ON -DNODELYX_BENCHMARKS=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -L core

echo "== Threaded core tests with ThreadSanitizer (build-tsan/)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNODELYX_SANITIZE_THREAD=ON \
  -DNODELYX_CORE_ONLY=ON -DNODELYX_BENCHMARKS=OFF
cmake --build build-tsan -j "$jobs" --target nodelyx_core_tests
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L core \
  -R 'TrainingRun|Session|MainController|OpenConfiguration|NetworkSnapshots|RecallAndEvaluate|DataRead|DataFile|Scaling|WeightsFile|PairWorker|SharedWork'

echo "== Fuzzing (build-fuzz/)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNODELYX_FUZZERS=ON -DNODELYX_CORE_ONLY=ON
cmake --build build-fuzz -j "$jobs"
"$root/scripts/fuzz.sh" build-fuzz 20

echo "== All tests passed"

#!/usr/bin/env bash
# Builds and runs the whole test suite:
#   1. a short libFuzzer campaign on every fuzz target (clang, ASan + UBSan);
#   2. the unit and integration tests, warnings as errors;
#   3. the Debian package of that build, checked by lintian;
#   4. the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
# Saved fuzz inputs are replayed by CTest in steps 2 and 3.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
JOBS=$(nproc)
FUZZ_SECONDS=${FUZZ_SECONDS:-5}

echo "== fuzzing (${FUZZ_SECONDS}s per target)"
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELDIN_FUZZ=ON -DVELDIN_TESTS=OFF -DVELDIN_BENCH=OFF >/dev/null
fuzzers=$(cmake --build build-fuzz --target help | sed -n 's/^\([a-z0-9_]*_fuzzer\):.*/\1/p')
# shellcheck disable=SC2086
cmake --build build-fuzz -j "$JOBS" --target $fuzzers
for f in $fuzzers; do
  name=${f%_fuzzer}
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$name/." "$work/" 2>/dev/null || true
  # A hang is a failure (-timeout), and so is the first undefined behaviour reported.
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "build-fuzz/fuzz/$f" -max_total_time="$FUZZ_SECONDS" -timeout=10 -print_final_stats=0 "$work" 2>&1 | tail -n 2
  rm -rf "$work"
done

echo "== tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELDIN_WERROR=ON >/dev/null
cmake --build build -j "$JOBS"
(cd build && ctest --output-on-failure -j "$JOBS")

echo "== Debian package of that build, checked by lintian"
BUILD=build scripts/package.sh | sed -n '/^== lintian/,$p'

echo "== tests with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELDIN_WERROR=ON -DVELDIN_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$JOBS"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$JOBS")

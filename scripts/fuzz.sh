#!/usr/bin/env bash
# A longer fuzzing campaign: scripts/fuzz.sh SECONDS [TARGET...]
# Runs each fuzz target (all of them when none is named) for SECONDS, one after the
# other and at the lowest priority, on a copy of its saved inputs; then merges what
# found new coverage into fuzz/corpus/<name>/ (-merge=1 keeps only inputs that add
# coverage, none over 64 KB) and prints each target's runs per second.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELDIN_FUZZ=ON -DVELDIN_TESTS=OFF -DVELDIN_BENCH=OFF >/dev/null
if [ $# -gt 0 ]; then
  fuzzers=$(printf '%s_fuzzer ' "$@")
else
  fuzzers=$(cmake --build build-fuzz --target help | sed -n 's/^\([a-z0-9_]*_fuzzer\):.*/\1/p')
fi
# shellcheck disable=SC2086
nice -n 19 cmake --build build-fuzz --target $fuzzers
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for f in $fuzzers; do
  name=${f%_fuzzer}
  mkdir -p "fuzz/corpus/$name"
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$name/." "$work/"
  stats=$(nice -n 19 "build-fuzz/fuzz/$f" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -max_len=65536 \
    -print_final_stats=1 "$work" 2>&1 | grep -E 'stat::(number_of_executed_units|average_exec_per_sec)|ERROR|SUMMARY' || true)
  nice -n 19 "build-fuzz/fuzz/$f" -merge=1 -max_len=65536 "fuzz/corpus/$name" "$work" >/dev/null 2>&1
  rm -rf "$work"
  echo "$name: $(echo "$stats" | tr '\n' ' ') saved inputs: $(find "fuzz/corpus/$name" -type f | wc -l)"
done

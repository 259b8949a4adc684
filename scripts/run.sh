#!/usr/bin/env bash
# Installs what is needed, builds everything into build/bin and shows what the
# programs make of the bundled demo images.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
for image in build/bin/demo/demo.s55 build/bin/demo/demo.sdk build/bin/demo/demo.sng; do
  echo
  build/bin/veldin-cli info "$image"
done

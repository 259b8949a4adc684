#!/usr/bin/env bash
# Installs what is needed, builds everything into build/bin and shows what the
# programs make of the bundled demo images; then starts veldin with the Tone Editor on
# a demo image, headless (offscreen), and saves what it shows as pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
for image in build/bin/demo/demo.s55 build/bin/demo/demo.sdk build/bin/demo/demo.sng; do
  echo
  build/bin/veldin-cli info "$image"
done

# veldin itself: the launcher opens demo.s55 in the Tone Editor, saves its windows (and the
# Tone Editor's preferences pages) as
# PNG files and ends. Without --screenshot (and with a display) it stays open.
mkdir -p build/screenshots
QT_QPA_PLATFORM=offscreen timeout 60 build/bin/veldin --screenshot build/screenshots/launcher.png -oT build/bin/demo/demo.s55
echo
echo "veldin showed the Tone Editor with demo.s55:"
ls build/screenshots/*.png

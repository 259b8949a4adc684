#!/usr/bin/env bash
# Checks that screen readers and accessibility-based test tools (AT-SPI) find the
# launcher's and the Tone Editor's buttons and menu commands by name and can press them.
# Runs VELDIN on a private X display with its own session bus and accessibility bus and
# a settings file of its own (the first start's dialogs are answered through AT-SPI too).
# Usage: scripts/atspi-check.sh [build folder]. Needs xvfb, dbus, at-spi2-core and
# python3-pyatspi (Debian's own /usr/bin/python3).
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/bin/demo/demo.s55" "$work/"
export VELDIN_SETTINGS=$work/veldin.conf QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x1024x24" \
  dbus-run-session -- /usr/bin/python3 "$(dirname "$0")/atspi-check.py" "$build/bin/veldin" "$work/demo.s55"

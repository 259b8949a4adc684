#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need. Does nothing
# when they are all there already, so every script can call it.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  qt6-base-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev
  # https for the update client: Qt's OpenSSL TLS plugin (in libqt6network6) loads libssl3
  libqt6network6 libssl3
  # signatures (Ed25519) and digests (SHA-256) of published updates: libsodium, found by
  # CMake through pkg-config
  libsodium-dev pkg-config
  # the update tests serve a folder with python3's http.server and make a certificate
  python3 openssl
  libsoxr-dev
  # hearing a tone, and its test: a PulseAudio server of its own with a null sink
  qt6-multimedia-dev pulseaudio pulseaudio-utils
  sndfile-programs sox
  mtools python3-mido midicsv
  # text in the windows that the offscreen platform renders (screenshots, GUI tests)
  fonts-dejavu-core
  # the installed tree and the Debian package: icons drawn from SVG, the validators of the
  # desktop entry and metainfo, the MIME database, the package's checker
  librsvg2-bin desktop-file-utils appstream shared-mime-info libglib2.0-bin xdg-utils
  dpkg-dev lintian
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

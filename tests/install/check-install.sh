#!/usr/bin/env bash
# check-install.sh BUILD_DIR: installs the build into a scratch DESTDIR under /usr and runs
# the installed programs as a new user would. Fails on the first broken expectation.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dest=$scratch/root
prefix=$dest/usr
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null

# The layout.
for f in bin/veldin bin/veldin-cli lib/veldin/libQuilla.so lib/veldin/libDorrel.so lib/veldin/update \
         lib/veldin/libveldin_bus.so share/veldin/W30.dat share/veldin/S550.dat share/veldin/W30S.dat \
         share/veldin/default.ston share/veldin/demo/demo.s55 share/veldin/help/veldin.html \
         share/applications/org.example.veldin.desktop share/metainfo/org.example.veldin.metainfo.xml \
         share/mime/packages/veldin.xml share/icons/hicolor/scalable/apps/veldin.svg \
         share/icons/hicolor/48x48/apps/veldin.png share/man/man1/veldin-cli.1 \
         share/bash-completion/completions/veldin-cli; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
# Every module library the build made is installed beside the others.
for lib in "$build"/bin/lib*.so; do
    [ -e "$prefix/lib/veldin/$(basename "$lib")" ] || fail "module not installed: $(basename "$lib")"
done
[ -z "$(ls "$prefix/bin" | grep -v '^veldin')" ] || fail "bin/ holds more than the veldin programs"

# A fresh user: no settings, no data folder.
export HOME=$scratch/home XDG_DATA_HOME= XDG_CONFIG_HOME= VELDIN_SETTINGS=
mkdir -p "$HOME"
unset XDG_DATA_HOME XDG_CONFIG_HOME VELDIN_SETTINGS

"$prefix/bin/veldin-cli" info "$prefix/share/veldin/demo/demo.s55" | grep -q "S550" || fail "veldin-cli info"
# A new image from the shipped template; the session files go to the user's data folder.
"$prefix/bin/veldin-cli" new --family s550 "$scratch/new.s55" || fail "veldin-cli new from the shipped template"
[ "$(stat -c %s "$scratch/new.s55")" = 737280 ] || fail "the new image is not 737,280 bytes"

# The launcher finds its modules in lib/veldin: the Tone Editor's window is photographed.
QT_QPA_PLATFORM=offscreen "$prefix/bin/veldin" --screenshot "$scratch/shot.png" \
    -oT "$prefix/share/veldin/demo/demo.s55" >/dev/null 2>&1 || fail "veldin --screenshot"
[ -s "$scratch/shot-tone-editor.png" ] || fail "no Tone Editor screenshot from the installed tree"
[ ! -e "$prefix/Diskimages" ] || fail "the launcher wrote into the installation"

# The update client leaves a system installation to the package manager.
if out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/lib/veldin/update" 2>&1); then fail "update ran on a system installation"; fi
grep -q "installed by the system's package manager" <<<"$out" || fail "update said: $out"

# The desktop files.
desktop-file-validate "$prefix/share/applications/org.example.veldin.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/org.example.veldin.metainfo.xml" >/dev/null \
    || fail "appstreamcli validate"

# The MIME database in a scratch data folder names each kind, also as an .img copy.
export XDG_DATA_HOME=$scratch/xdg XDG_DATA_DIRS=/usr/share
mkdir -p "$XDG_DATA_HOME/mime/packages"
cp "$prefix/share/mime/packages/veldin.xml" "$XDG_DATA_HOME/mime/packages/"
update-mime-database "$XDG_DATA_HOME/mime" >/dev/null 2>&1
mime() { gio info -a standard::content-type "$1" | sed -n 's/.*standard::content-type: //p'; }
for kind in s50:s50-disk s33:s330-disk s55:s550-disk sdk:w30-sound-disk sng:w30-song-disk; do
    ext=${kind%%:*} type=application/x-roland-${kind#*:}
    cp "$prefix/share/veldin/demo/demo.$ext" "$scratch/copy-$ext.img"
    [ "$(mime "$prefix/share/veldin/demo/demo.$ext")" = "$type" ] || fail "demo.$ext is not $type"
    [ "$(mime "$scratch/copy-$ext.img")" = "$type" ] || fail "copy-$ext.img is not $type"
done
[ "$(mime "$prefix/share/veldin/default.ston")" = application/x-roland-tone ] || fail "default.ston"
# xdg-mime, as a desktop's file manager asks.
[ "$(XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$prefix/share/veldin/demo/demo.sng")" = \
    application/x-roland-w30-song-disk ] || fail "xdg-mime on demo.sng"
head -c 737280 /dev/zero > "$scratch/pc.img"
[ "$(mime "$scratch/pc.img")" != application/x-roland-s50-disk ] || fail "a plain .img taken for a sampler disk"
echo "installed tree OK"

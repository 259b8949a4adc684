#!/usr/bin/env bash
# Builds the Debian package veldin_<version>_<arch>.deb in the checkout's folder and checks
# it with lintian (errors fail the script; warnings are shown).
#
#   scripts/package.sh              a release build of its own in build-package/
#   BUILD=build scripts/package.sh  package an existing build instead
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/deps.sh

build=${BUILD:-build-package}
if [ -z "${BUILD:-}" ]; then
    # Debian's hardening flags, as a Debian build of the package would use them.
    eval "$(dpkg-buildflags --export=sh)"
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELDIN_TESTS=OFF -DVELDIN_BENCH=OFF \
        -DCMAKE_CXX_FLAGS="$CXXFLAGS $CPPFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
        -DCMAKE_SHARED_LINKER_FLAGS="$LDFLAGS" >/dev/null
fi
cmake --build "$build"

version=$(sed -n 's/^project(veldin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
stage=$(mktemp -d)
chmod 755 "$stage" # the package's root folder, "./" in the archive
work=$(mktemp -d)
trap 'rm -rf "$stage" "$work"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /usr --strip >/dev/null

# Manual pages and the changelog compressed as Debian wants them; the copyright file.
gzip -9n "$stage"/usr/share/man/man1/*.1
doc=$stage/usr/share/doc/veldin
mkdir -p "$doc"
cp packaging/copyright "$doc/copyright"
gzip -9nc packaging/changelog > "$doc/changelog.gz"

# Depends from the shared libraries the programs and modules link; the private bus
# library is found in lib/veldin.
mkdir -p "$work/debian"
printf 'Source: veldin\n\nPackage: veldin\nArchitecture: any\n' > "$work/debian/control"
elves=$(find "$stage/usr/bin" "$stage/usr/lib/veldin" -type f \( -perm -u+x -o -name '*.so' \))
shlibs=$(cd "$work" && dpkg-shlibdeps -O -l"$stage/usr/lib/veldin" $elves 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[ -n "$shlibs" ] || { echo "package.sh: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

mkdir -p "$stage/DEBIAN"
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$stage/DEBIAN/md5sums"
size=$(du -sk --exclude=DEBIAN "$stage" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@SIZE@/$size/" -e "s/@SHLIBS@/$shlibs/" \
    packaging/control.in > "$stage/DEBIAN/control"

deb=$root/veldin_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "== $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
echo "== contents"
dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$'
echo "== lintian"
lintian --tag-display-limit 0 --display-info "$deb" && echo "lintian: no errors"

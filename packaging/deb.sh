#!/usr/bin/env bash
# Builds the Debian package movanta_<version>_amd64.deb from the install
# step of a build folder: everything under /usr, the dependencies computed
# from the binaries by dpkg-shlibdeps, the maintainer scripts of
# packaging/deb/ (register after installing, unregister before removing).
# Needs dpkg-dev. Usage: packaging/deb.sh [BUILD_FOLDER [OUTPUT_FOLDER]]
#   (default build/default and dist); prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/default}"
out="$(realpath -m "${2:-dist}")"
command -v dpkg-shlibdeps > /dev/null || { echo "deb.sh needs dpkg-dev (apt-get install dpkg-dev)" >&2; exit 1; }
version="$(sed -n 's/^project(Movanta VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
root="$stage/root"

cmake --build "$build" > /dev/null
DESTDIR="$root" cmake --install "$build" --prefix /usr > /dev/null
mkdir -p "$root/usr/share/movanta"
echo movanta > "$root/usr/share/movanta/packaged"
# The documents a Debian package carries, manual pages compressed.
gzip -9n "$root"/usr/share/man/man1/*.1
doc="$root/usr/share/doc/movanta"
mkdir -p "$doc"
install -m 644 packaging/deb/copyright "$doc/copyright"
printf 'movanta (%s) unstable; urgency=medium\n\n  * Built from the project.\n\n -- Nexaro Corp <movanta@nexaro.example>  %s\n' \
  "$version" "$(date -R)" | gzip -9n > "$doc/changelog.gz"

# Binaries without their debugging sections; the dependencies they need.
mapfile -t elves < <(find "$root" -type f -exec sh -c 'head -c 4 "$1" | grep -q "ELF"' _ {} \; -print)
strip --strip-unneeded --remove-section=.comment --remove-section=.note "${elves[@]}"
mkdir -p "$stage/debian"
printf 'Source: movanta\n\nPackage: movanta\nArchitecture: amd64\n' > "$stage/debian/control"
depends="$(cd "$stage" && dpkg-shlibdeps -O -S"$root" -l"$root/usr/lib/movanta" "${elves[@]}" 2> "$stage/shlibdeps.log" |
  sed -n 's/^shlibs:Depends=//p')"
[ -n "$depends" ] || { cat "$stage/shlibdeps.log" >&2; echo "deb.sh: no dependencies found" >&2; exit 1; }

mkdir -p "$root/DEBIAN"
sed -e "s|@VERSION@|$version|" -e "s|@SIZE@|$(du -sk --exclude=DEBIAN "$root" | cut -f1)|" -e "s|@DEPENDS@|$depends|" \
  packaging/deb/control.in > "$root/DEBIAN/control"
for script in postinst prerm postrm; do install -m 755 "packaging/deb/$script" "$root/DEBIAN/$script"; done
find "$root" -type d -exec chmod 755 {} +
mkdir -p "$out"
package="$out/movanta_${version}_amd64.deb"
dpkg-deb --root-owner-group -Zxz --build "$root" "$package" > /dev/null
echo "$package"

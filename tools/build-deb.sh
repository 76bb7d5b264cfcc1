#!/usr/bin/env bash
# Builds the Debian package from built programs: the service and the engine
# library under /usr/lib/cratemark, the command in /usr/bin, the template
# unit, the man page, the sample design. Prints the package's path.
# Usage: build-deb.sh SERVICE_PROGRAM ENGINE_LIBRARY VERSION OUT_DIR RENDER_PROGRAM
set -euo pipefail
service=$1 engine=$2 version=$3 out=$4 render=$5
source_dir=$(cd "$(dirname "$0")/.." && pwd)
packaging="$source_dir/packaging/debian"
arch=$(dpkg --print-architecture)

work=$(mktemp -d "${TMPDIR:-/tmp}/cratemark-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
root="$work/root"
umask 022
install -d "$root/DEBIAN" "$root/usr/lib/cratemark" "$root/usr/bin" "$root/lib/systemd/system" \
  "$root/usr/share/man/man8" "$root/usr/share/man/man1" "$root/usr/share/doc/cratemark/examples"
install -m 0755 -s "$service" "$root/usr/lib/cratemark/CratemarkService"
# Loaded with dlopen, not run: no executable bit.
install -m 0644 "$engine" "$root/usr/lib/cratemark/libxbengine.so"
strip --strip-unneeded --remove-section=.comment --remove-section=.note \
  "$root/usr/lib/cratemark/libxbengine.so"
ln -s ../lib/cratemark/CratemarkService "$root/usr/bin/CratemarkService"
# The label renderer; its fonts come from the font packages it depends on.
install -m 0755 -s "$render" "$root/usr/bin/cratemark-render"
gzip -9n <"$packaging/cratemark-render.1" >"$root/usr/share/man/man1/cratemark-render.1.gz"
install -m 0644 "$packaging/cratemark@.service" "$root/lib/systemd/system/"
gzip -9n <"$packaging/CratemarkService.8" >"$root/usr/share/man/man8/CratemarkService.8.gz"
install -m 0644 "$packaging/copyright" "$root/usr/share/doc/cratemark/"
sed "s/@VERSION@/$version/" "$packaging/changelog" | gzip -9n >"$root/usr/share/doc/cratemark/changelog.gz"
install -m 0644 "$source_dir/tools/demo/LabelDesign.txt" "$root/usr/share/doc/cratemark/examples/"
for script in postinst prerm postrm; do
  install -m 0755 "$packaging/$script" "$root/DEBIAN/"
done

# The libraries the programs need, as dpkg-shlibdeps finds them; it wants a
# source package's control file to exist.
mkdir -p "$work/debian"
printf 'Source: cratemark\n\nPackage: cratemark\nArchitecture: any\n' >"$work/debian/control"
depends=$(cd "$work" && dpkg-shlibdeps -O "$root/usr/lib/cratemark/CratemarkService" \
  "$root/usr/lib/cratemark/libxbengine.so" "$root/usr/bin/cratemark-render" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "dpkg-shlibdeps found no dependencies" >&2; exit 1; }
size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@SIZE@/$size/" \
  -e "s/@DEPENDS@/$depends/" "$packaging/control.in" >"$root/DEBIAN/control"
(cd "$root" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | sort -z |
  xargs -0 md5sum >DEBIAN/md5sums)
chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

mkdir -p "$out"
package="$out/cratemark_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$root" "$package" >/dev/null
echo "$package"

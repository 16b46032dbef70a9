#!/usr/bin/env bash
# Builds the Debian source package and its two binary packages, vantorel and vantorel-query,
# from debian/ with dpkg-buildpackage (a plain release build: no tests, no benchmarks) in a
# copy of the source tree under build-deb/ (or VANTOREL_PACKAGE_DIR), and checks them:
# - lintian on the source package and both binaries: any error or warning fails; its info
#   and pedantic notes are printed;
# - the AppStream metainfo (appstreamcli validate) and the desktop entry
#   (desktop-file-validate) as the package installs them;
# - vantorel-query's dependencies hold no Qt GUI or widget library, nor anything of a display;
# - both programs hardened: every compile and link of the build log with dpkg-buildflags'
#   stack protector, FORTIFY, full RELRO and PIE (blhc), and the programs made so (readelf);
# - one version in debian/changelog, CMakeLists.txt and the metainfo's release.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh lintian debhelper dpkg-dev appstream desktop-file-utils blhc
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
# The Build-Depends of debian/control, as a bare Debian 12 gets them.
if ! dpkg-checkbuilddeps 2>/dev/null; then
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get build-dep -y -qq --no-install-recommends ./
fi

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

version=$(dpkg-parsechangelog -S Version)
grep -q "^project(Vantorel VERSION $version " CMakeLists.txt || fail "CMakeLists.txt's version is not $version"
grep -q "<release version=\"$version\"" packaging/org.vantorel.vantorel.metainfo.xml ||
  fail "the metainfo's release is not $version"

# The source tree as git knows it (its files and new ones not ignored), or the tree as it is
# without build folders where it is no git work tree.
out=${VANTOREL_PACKAGE_DIR:-build-deb}
rm -rf "$out"
src="$out/vantorel-$version"
mkdir -p "$src"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
    tar --null -T - -cf - | tar -xf - -C "$src"
else
  tar --exclude='./build*' --exclude=./test-scratch -cf - . | tar -xf - -C "$src"
fi

started=$SECONDS
(cd "$src" && DEB_BUILD_OPTIONS="parallel=$(nproc)" dpkg-buildpackage -us -uc) >"$out/build.log" 2>&1 || {
  tail -n 60 "$out/build.log" | cut -c1-300 >&2
  echo "dpkg-buildpackage failed; the whole log is $out/build.log" >&2
  exit 1
}
echo "== dpkg-buildpackage -us -uc: $((SECONDS - started)) s"
arch=$(dpkg-architecture -q DEB_HOST_ARCH)
dsc="$out/vantorel_$version.dsc"
viewer="$out/vantorel_${version}_$arch.deb"
query="$out/vantorel-query_${version}_$arch.deb"
ls -l "$dsc" "$viewer" "$query" "$out"/*.tar.* | awk '{print $5, $9}'

started=$SECONDS
echo "== lintian $(basename "$dsc") $(basename "$viewer") $(basename "$query")"
# CI and the developers' machines run as root, which lintian warns about unless allowed.
allow_root=()
[ "$(id -u)" -eq 0 ] && allow_root=(--allow-root)
lintian "${allow_root[@]}" --fail-on error,warning --display-info --pedantic "$dsc" "$viewer" "$query" ||
  fail "lintian found errors or warnings"
echo "(lintian: $((SECONDS - started)) s)"

tree="$out/installed"
dpkg-deb -x "$viewer" "$tree"
dpkg-deb -x "$query" "$tree"
echo "== appstreamcli validate"
appstreamcli validate --no-net --pedantic --strict "$tree/usr/share/metainfo/org.vantorel.vantorel.metainfo.xml" ||
  fail "appstreamcli validate"
appstreamcli validate-tree --no-net "$tree" || fail "appstreamcli validate-tree"
echo "== desktop-file-validate"
desktop-file-validate "$tree/usr/share/applications/org.vantorel.vantorel.desktop" || fail "desktop-file-validate"

echo "== Depends"
for deb in "$viewer" "$query"; do
  echo "$(dpkg-deb -f "$deb" Package): $(dpkg-deb -f "$deb" Depends)"
done
gui=$(dpkg-deb -f "$query" Depends | tr ',' '\n' | grep -Ei 'qt6-?(gui|widgets|opengl|qpa)|libqt6(gui|widgets|opengl|xcb)|libx11|libxcb|libgl|libegl|libwayland|libfontconfig|libfreetype|libxkb' || true)
[ -z "$gui" ] || fail "vantorel-query depends on GUI libraries: $gui"

echo "== hardening"
blhc --all "$out/build.log" && echo "blhc: every compile and link with the hardening flags" ||
  fail "blhc: compiles or links without the hardening flags"
for program in usr/lib/vantorel/bin/vantorel usr/bin/vantorel-query; do
  elf="$tree/$program"
  headers=$(readelf -hldW "$elf")
  symbols=$(readelf --dyn-syms -W "$elf")
  grep -q 'Type: *DYN' <<<"$headers" && grep -q 'FLAGS_1.*PIE' <<<"$headers" || fail "$program is no PIE"
  grep -q 'GNU_RELRO' <<<"$headers" && grep -q 'FLAGS_1.*NOW' <<<"$headers" || fail "$program has no full RELRO"
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$program has no stack protector"
  # FORTIFY checks the calls whose buffer sizes the compiler knows; a program may have none.
  echo "$program: PIE, full RELRO (bind now), stack protector; $(grep -c '__[a-z0-9_]*_chk@' <<<"$symbols") calls checked by FORTIFY"
done

if [ "$failures" -gt 0 ]; then
  echo "$failures package checks failed" >&2
  exit 1
fi
echo "packages: lintian, appstreamcli and desktop-file-validate clean; vantorel-query needs no GUI library; both programs hardened"

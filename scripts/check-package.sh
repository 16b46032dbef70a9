#!/usr/bin/env bash
# Builds the release build (build/, or VANTOREL_BUILD_DIR), makes the Debian package with
# cpack and checks it with lintian. Exits non-zero when lintian reports any error or
# warning; its info and pedantic notes are printed but do not fail the check. cpack needs
# dpkg-shlibdeps (dpkg-dev) for the package's dependencies.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh lintian dpkg-dev
scripts/build.sh
build_dir=${VANTOREL_BUILD_DIR:-build}
(cd "$build_dir" && cpack -G DEB)
deb=$(ls -t "$build_dir"/vantorel_*.deb | head -n 1)
echo "== lintian $deb"
# CI and the developers' machines run as root, which lintian warns about unless allowed.
allow_root=()
[ "$(id -u)" -eq 0 ] && allow_root=(--allow-root)
lintian "${allow_root[@]}" --fail-on error,warning --display-info --pedantic "$deb"
echo "lintian: no errors, no warnings"

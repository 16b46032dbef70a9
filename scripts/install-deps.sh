#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the viewer need; installs nothing
# when all of them are present. Runs as root, or as a user with sudo.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-translations-l10n libgtest-dev libgmock-dev libbenchmark-dev
          libxlsxwriter-dev libre2-dev zlib1g-dev liblzma-dev libzstd-dev libbz2-dev libdeflate-dev sqlite3 postgresql bash-completion python3-openpyxl fonts-dejavu-core "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

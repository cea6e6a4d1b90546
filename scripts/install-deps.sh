#!/usr/bin/env bash
# Installs the Debian packages Kestrava needs to build, run, test and benchmark,
# skipping those already there. Run as root or as a user with sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-translations-l10n libgl-dev libjpeg62-turbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libtag1-dev xfsprogs e2fsprogs
  libglib2.0-bin shared-mime-info zlib1g-dev
  dpkg-dev desktop-file-utils appstream
  xvfb xclip strace
  fonts-symbola fonts-wqy-microhei
  samba smbclient gvfs-backends gvfs-fuse dbus
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

run_as_root() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}
echo "Installing: ${missing[*]}"
run_as_root apt-get update -qq
DEBIAN_FRONTEND=noninteractive run_as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"

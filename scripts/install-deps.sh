#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build and test Mirlot, skipping
# those already present: the Linux build, and the Windows cross builds with
# wine to run their tests (32-bit wine needs the i386 architecture), the
# tools that draw the icons from their SVG (rsvg-convert, icotool), and
# bash-completion for the test of mirlot's completion, strace, through which
# the fault rows kill or signal a run at a chosen system call, and the tools
# that make and mount the file systems the file-system rows run on (ext4,
# xfs, btrfs, NTFS through ntfs-3g, exFAT through exfat-fuse). Makes
# the ru_RU.UTF-8 locale, under which wine reports the Russian code page.
# Package names given as arguments are installed too, for the scripts that
# need more (packaging, benchmark, fuzzers): scripts/install-deps.sh [PKG...]
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev googletest libcli11-dev libxxhash-dev
  qt6-base-dev fonts-dejavu-core librsvg2-bin icoutils bash-completion
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 wine32:i386 util-linux zip locales strace
  e2fsprogs xfsprogs btrfs-progs ntfs-3g exfat-fuse exfatprogs
  "$@"
)

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
apt_options=(-o DPkg::Lock::Timeout=600)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
  "${sudo[@]}" apt-get "${apt_options[@]}" update -qq
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  "${sudo[@]}" apt-get "${apt_options[@]}" update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${apt_options[@]}" \
    install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  "${sudo[@]}" sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen ||
    echo 'ru_RU.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo[@]}" locale-gen >/dev/null
fi

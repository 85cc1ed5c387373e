#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build and test Mirlot, skipping
# those already present: the Linux build, and the Windows cross builds with
# wine to run their tests (32-bit wine needs the i386 architecture), the
# tools that draw the icons from their SVG (rsvg-convert, icotool, and
# ImageMagick for the setup program's images), and
# bash-completion for the test of mirlot's completion, strace, through which
# the fault rows kill or signal a run at a chosen system call, and the tools
# that make and mount the file systems the file-system rows run on (ext4,
# xfs, btrfs, NTFS through ntfs-3g, exFAT through exfat-fuse). Makes
# the ru_RU.UTF-8 locale, under which wine reports the Russian code page.
# Package names given as arguments are installed too, for the scripts that
# need more (packaging, benchmark, fuzzers): scripts/install-deps.sh [PKG...]
# With --linux first, only what builds the Linux programs (and configures
# their tests) is installed, for scripts/run.sh; with --linux-tests, what
# runs their tests as well, for scripts/test.sh --linux: neither installs
# the i386 architecture, wine or the cross compilers.
set -euo pipefail

linux=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev googletest libcli11-dev libxxhash-dev
  qt6-base-dev librsvg2-bin
)
linux_tests=(
  fonts-dejavu-core bash-completion util-linux locales strace
  e2fsprogs xfsprogs btrfs-progs ntfs-3g exfat-fuse exfatprogs
)
windows=(
  icoutils imagemagick zip g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 wine32:i386
)
case "${1:-}" in
--linux) shift; packages=("${linux[@]}" "$@") ;;
--linux-tests) shift; packages=("${linux[@]}" "${linux_tests[@]}" "$@") ;;
*) packages=("${linux[@]}" "${linux_tests[@]}" "${windows[@]}" "$@") ;;
esac

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
apt_options=(-o DPkg::Lock::Timeout=600)

if [[ " ${packages[*]} " == *":i386 "* ]] &&
  ! dpkg --print-foreign-architectures | grep -qx i386; then
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

if [[ " ${packages[*]} " == *" locales "* ]] &&
  ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  "${sudo[@]}" sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen ||
    echo 'ru_RU.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo[@]}" locale-gen >/dev/null
fi

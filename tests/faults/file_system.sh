#!/bin/sh
# Makes a file system of one kind and mounts it at FOLDER, or takes it away
# again, for the rows FileSystems of tests/faults/pack_faults_test.cc:
#   file_system.sh mount|unmount KIND FOLDER
# KIND is ext4, xfs, btrfs, ntfs_3g (NTFS through ntfs-3g) or exfat_fuse
# (exFAT through mount.exfat-fuse, by name: a kernel's own exFAT driver
# would hide what FUSE lacks), each in a sparse image FOLDER.img on a loop
# device named in FOLDER.loop, tmpfs, or plain (a folder on the file system
# it lies on). Exits with 77 and the reason where this host cannot have it (a
# missing tool, no /dev/fuse, no loop device, a mount refused for want of
# privilege, a kernel without the type), with 1 and the failing command's
# output on any other failure. unmount lets go of whatever mount
# left, lazily should the file system be busy.
set -u
PATH=/usr/sbin:/usr/bin:/sbin:/bin
folder=$3
log=$folder.log

skip() {
  echo "$*"
  exit 77
}

# run COMMAND...: runs it, its output in $log; a refusal for want of
# privilege or of the file system's type skips the row.
run() {
  "$@" >"$log" 2>&1 && return
  if grep -qiE 'not permitted|permission denied|superuser|unknown filesystem' "$log"; then
    skip "$*: $(cat "$log")"
  fi
  echo "$*: $(cat "$log")"
  exit 1
}

if [ "$1" = unmount ]; then
  umount "$folder" 2>/dev/null || umount -l "$folder" 2>/dev/null
  [ ! -f "$folder.loop" ] || losetup --detach "$(cat "$folder.loop")"
  exit 0
fi

fuse=
case $2 in
ext4) make="mkfs.ext4 -q -F" size=32M ;;
xfs) make="mkfs.xfs -q -f" size=300M ;;     # the least mkfs.xfs takes
btrfs) make="mkfs.btrfs -q -f" size=128M ;; # mkfs.btrfs takes 109 MiB
ntfs_3g) make="mkntfs -q -Q -F" size=16M fuse=ntfs-3g ;;
exfat_fuse) make=mkfs.exfat size=16M fuse=mount.exfat-fuse ;;
tmpfs) mkdir -p "$folder" && run mount -t tmpfs tmpfs "$folder" && exit 0 ;;
plain) mkdir -p "$folder" && exit 0 ;;
*) echo "unknown kind $2" && exit 1 ;;
esac
for tool in ${make%% *} $fuse losetup; do
  command -v "$tool" >/dev/null || skip "no $tool here"
done
[ -z "$fuse" ] || [ -e /dev/fuse ] || skip "no /dev/fuse here"
mkdir -p "$folder" && truncate -s "$size" "$folder.img" || exit 1
run $make "$folder.img"
device=$(losetup --find --show "$folder.img" 2>"$log") ||
  skip "losetup -f failed: $(cat "$log")"
echo "$device" >"$folder.loop"
if [ -n "$fuse" ]; then
  run "$fuse" "$device" "$folder"
else
  run mount -t "$2" "$device" "$folder"
fi

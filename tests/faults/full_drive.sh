#!/bin/sh
# Maps a tmpfs of 256 KiB to drive M: of a wine prefix, or takes it away:
#   full_drive.sh PREFIX FOLDER mount|unmount
# Mounting needs root; without it, or when the mount is refused, nothing is
# mapped and the rows that need the drive are skipped.
set -u
prefix=$1
folder=$2
drive=$prefix/dosdevices/m:

unmap() {
  rm -f "$drive"
  if mountpoint -q "$folder"; then umount "$folder"; fi
}

case $3 in
mount)
  unmap
  mkdir -p "$folder" "$prefix/dosdevices" &&
    mount -t tmpfs -o size=262144,mode=0755 tmpfs "$folder" &&
    ln -s "$folder" "$drive" ||
    echo "no full drive M: (root and a tmpfs mount are needed)"
  ;;
unmount) unmap ;;
esac
exit 0

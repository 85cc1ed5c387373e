#!/usr/bin/env bash
# Installs Mirlot's Debian packages with apt and removes them again, and
# checks that removing leaves nothing behind:
#
#   scripts/check-debs.sh DIST_DIR
#
# DIST_DIR holds mirlot_VERSION_ARCH.deb and mirlot-gui_VERSION_ARCH.deb
# (scripts/package.sh runs this on build/dist). First, on any machine, each
# package's copyright file must hold the licence of xxHash, which its
# program compiles in (scripts/check-licenses.sh). Then two rounds: mirlot
# alone, then mirlot-gui with the mirlot it depends on. In each, apt
# installs the packages; every file is then in place as packaged (dpkg
# --verify), and the window is no opener of text files: with two stand-in
# text handlers, one sorting before mirlot-gui and one after, gio names the
# first the default and never the window (it is still reached through
# "Open with" another application); a file named out.bin is a Mirlot image,
# which gio opens with the window, and no other .bin file is. apt then
# removes them, after which:
#   - dpkg no longer knows either package (they have no configuration
#     files, so removing them removes everything);
#   - every path the packages hold is as it was before the round: a folder
#     that was there stays, nothing that was not is left;
#   - the "Open with" cache no longer names the window, nor the MIME
#     database the image type;
#   - the packages apt installed only as their dependencies are removed
#     too (those it marked automatic), and none of them is left.
# The machine is left as it was found, also when a check fails or the
# script is interrupted. Needs root (sudo otherwise). When mirlot or
# mirlot-gui is installed already, nothing is installed: the script says so
# and exits with 77.
set -euo pipefail

dist=$(realpath "$1")
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
apt() {
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 \
    -qq -y "$@" >/dev/null
}
log() { echo "check-debs: $*" >&2; }

cli=$(find "$dist" -maxdepth 1 -name 'mirlot_*.deb' | head -n 1)
gui=$(find "$dist" -maxdepth 1 -name 'mirlot-gui_*.deb' | head -n 1)
[ -n "$cli" ] && [ -n "$gui" ] || {
  log "no mirlot_*.deb and mirlot-gui_*.deb in $dist"
  exit 1
}

for deb in "$cli" "$gui"; do
  copyright=usr/share/doc/$(dpkg-deb -f "$deb" Package)/copyright
  dpkg-deb --fsys-tarfile "$deb" | tar -xO "./$copyright" |
    "$(dirname "$0")/check-licenses.sh" "$(basename "$deb"): /$copyright"
done

installed() { [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]; }
# Whether any of the package is on the system: installed, half-installed or
# its configuration files left.
known() {
  local status
  status=$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null) || return 1
  [ -n "$status" ] && [ "$status" != not-installed ]
}
for package in mirlot mirlot-gui; do
  if known "$package"; then
    log "not run: $package is installed on this machine already; remove it first"
    exit 77
  fi
done

mime_cache=/usr/share/applications/mimeinfo.cache
failures=0
fail() {
  log "$*"
  failures=$((failures + 1))
}

# What a round installed besides Mirlot's packages, to be removed again.
pulled=()
restore() {
  local package remove=()
  for package in mirlot-gui mirlot; do
    known "$package" && remove+=("$package")
  done
  [ ${#remove[@]} -eq 0 ] || apt remove "${remove[@]}" || true
  remove=()
  for package in "${pulled[@]}"; do
    # Only what apt still holds as installed for another's sake.
    if installed "$package" && apt-mark showauto "$package" | grep -qx "$package"; then
      remove+=("$package")
    fi
  done
  [ ${#remove[@]} -eq 0 ] || apt remove "${remove[@]}" || true
  pulled=()
}
trap restore EXIT

# Every path a package holds, with its leading "./" and trailing "/" cut.
paths_of() { dpkg-deb --fsys-tarfile "$1" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^$'; }
# "PATH present" or "PATH absent" for each path.
state_of() {
  local path
  while IFS= read -r path; do
    if [ -e "$path" ] || [ -L "$path" ]; then echo "$path present"; else echo "$path absent"; fi
  done
}

# check_text_opener NAME: what gio would open a text file with, the
# installed applications beside two stand-in text handlers kept in a folder
# of their own (the machine's own defaults are not read), must never be the
# window: with no default set, gio takes the first by name, and mirlot-gui
# sorts before most editors.
check_text_opener() {
  local name=$1 standins shown
  if ! command -v gio >/dev/null || ! command -v update-desktop-database >/dev/null; then
    log "$name: text opener not checked: no gio or update-desktop-database here"
    return
  fi
  standins=$(mktemp -d)
  mkdir "$standins/applications"
  for handler in aaa-text-viewer zzz-text-viewer; do
    printf '[Desktop Entry]\nType=Application\nName=%s\nExec=true %%f\nMimeType=text/plain;\n' \
      "$handler" >"$standins/applications/$handler.desktop"
  done
  update-desktop-database "$standins/applications"
  shown=$(env XDG_DATA_HOME="$standins" XDG_DATA_DIRS=/usr/share \
    XDG_CONFIG_HOME="$standins/config" XDG_CONFIG_DIRS="$standins/config" \
    gio mime text/plain 2>&1) || true
  rm -r "$standins"
  [[ "$shown" == *"zzz-text-viewer.desktop"* ]] ||
    fail "$name: gio did not see the stand-in text handlers: $shown"
  [[ "$shown" != *"mirlot-gui.desktop"* ]] ||
    fail "$name: gio offers mirlot-gui.desktop for text files: $shown"
}

# check_image_opener NAME: a file named out.bin is a Mirlot image, for which
# gio offers the window; any other .bin file is not.
check_image_opener() {
  local name=$1 files shown type
  if ! command -v gio >/dev/null; then
    log "$name: image opener not checked: no gio here"
    return
  fi
  files=$(mktemp -d)
  head -c 64 /dev/zero >"$files/out.bin"
  cp "$files/out.bin" "$files/other.bin"
  for file in out.bin other.bin; do
    type=$(gio info -a standard::content-type "$files/$file" | sed -n 's/^ *standard::content-type: //p')
    [ "$file" = out.bin ] && [ "$type" != application/x-mirlot-image ] &&
      fail "$name: $file is $type, not application/x-mirlot-image"
    [ "$file" = other.bin ] && [ "$type" = application/x-mirlot-image ] &&
      fail "$name: $file is taken for a Mirlot image"
  done
  shown=$(env XDG_DATA_HOME="$files" XDG_DATA_DIRS=/usr/share \
    XDG_CONFIG_HOME="$files/config" XDG_CONFIG_DIRS="$files/config" \
    gio mime application/x-mirlot-image 2>&1) || true
  rm -r "$files"
  [[ "$shown" == *"mirlot-gui.desktop"* ]] ||
    fail "$name: gio offers no mirlot-gui.desktop for out.bin: $shown"
}

# round NAME DEB...: installs the packages together, checks them, removes
# them and checks what is left.
round() {
  local name=$1 deb package names=() before after changed
  shift
  for deb in "$@"; do names+=("$(dpkg-deb -f "$deb" Package)"); done
  before=$(for deb in "$@"; do paths_of "$deb"; done | sort -u | state_of)
  # What apt will install for them, besides themselves.
  mapfile -t pulled < <("${sudo[@]}" apt-get -s install "$@" 2>/dev/null |
    awk '$1 == "Inst" { print $2 }' | grep -vxF -e mirlot -e mirlot-gui || true)
  log "$name: installing ${names[*]}${pulled[*]:+ with ${pulled[*]}}"
  apt install "$@" || { fail "$name: apt-get install failed"; return; }

  for package in "${names[@]}"; do
    installed "$package" || fail "$name: $package is not installed"
    changed=$(dpkg --verify "$package" 2>&1) ||
      fail "$name: $package is not installed as packaged: $changed"
  done
  if [[ " ${names[*]} " == *" mirlot-gui "* ]]; then
    check_text_opener "$name"
    check_image_opener "$name"
  fi

  log "$name: removing ${names[*]}"
  apt remove "${names[@]}" || fail "$name: apt-get remove failed"
  restore
  for package in "${names[@]}"; do
    ! known "$package" || fail "$name: dpkg still knows $package after removing it"
  done
  after=$(for deb in "$@"; do paths_of "$deb"; done | sort -u | state_of)
  changed=$(diff <(echo "$before") <(echo "$after") | sed -n 's/^> //p') || true
  [ -z "$changed" ] || fail "$name: changed by installing and removing:"$'\n'"$changed"
  if [ -e "$mime_cache" ] && grep -q 'mirlot-gui\.desktop' "$mime_cache"; then
    fail "$name: $mime_cache still names mirlot-gui.desktop"
  fi
  [ ! -e /usr/share/mime/application/x-mirlot-image.xml ] ||
    fail "$name: the MIME database still knows application/x-mirlot-image"
}

round "mirlot alone" "$cli"
round "mirlot-gui with mirlot" "$gui" "$cli"

[ "$failures" -eq 0 ] || exit 1
log "both packages install, and remove leaving nothing behind"

#!/usr/bin/env bash
# Makes the setup program of a Windows cross build, installs it silently
# under wine, checks what it put in place, uninstalls it silently and checks
# that nothing of it is left:
#
#   scripts/check-installer.sh BUILD_DIR
#
# BUILD_DIR is a built Windows cross build (build/windows-i686 or
# build/windows-x86_64); `cpack -G NSIS` makes mirlot-VERSION-win32-setup.exe
# or -win64-setup.exe there (nsis is installed when missing). The files the
# setup must install are those CPack staged for it in BUILD_DIR/_CPack_Packages.
# Runs in a wine prefix of its own, build/wine-installer, removed when the
# check passes (1.3 GB), and leaves the desktop alone (no menu entries are
# made for the host).
#
# On every host, before anything runs: the staged programs name Windows
# Vista (6.0) as the oldest they run on in their PE headers, and the
# installer script CPack generated refuses an older Windows first thing
# and, with the window, registers the Explorer verbs "Pack with Mirlot" for
# .txt files and "Open in Mirlot" for files named out.bin (only those:
# AppliesTo) in its install section and removes them in its uninstall
# section, both in the registry's native view. The licence its licence page
# shows and the LICENSE.txt it installs (which the ZIP holds too) have
# xxHash's licence, which the programs compile in (scripts/check-licenses.sh).
# After installing, the verbs are in the registry; after uninstalling they
# are gone.
#
# The setup programs are 32-bit (NSIS's stub) for both architectures. Where
# this host cannot run 32-bit programs (cmake/wine-host.sh), the setup
# program is made and its script and programs checked, but it is not run:
# the script says why, and exits with 77.
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(realpath "$1")
scripts/install-deps.sh nsis file
rm -f "$build"/mirlot-*-setup.exe
(cd "$build" && cpack -G NSIS >/dev/null)
setup=$(find "$build" -maxdepth 1 -name 'mirlot-*-setup.exe' | head -n 1)
[ -n "$setup" ] || { echo "check-installer: cpack made no mirlot-*-setup.exe in $build" >&2; exit 1; }
name=$(basename "$setup" .exe)
staged=$(find "$build/_CPack_Packages" -path "*/NSIS/$name" -type d | head -n 1)
[ -n "$staged" ] || { echo "check-installer: no staged tree for $name" >&2; exit 1; }

failures=0
fail() {
  echo "check-installer: $name: $*" >&2
  failures=$((failures + 1))
}

# The oldest Windows each program runs on, as its PE header names it.
while IFS= read -r -d '' program; do
  header=$(objdump -p "$program" | awk '$1 ~ /^M(ajor|inor)(Subsystem|OSystem)Version$/ { print $1 "=" $2 }' | sort | paste -sd' ')
  [ "$header" = "MajorOSystemVersion=6 MajorSubsystemVersion=6 MinorOSystemVersion=0 MinorSubsystemVersion=0" ] ||
    fail "${program#"$staged"/} does not name Windows Vista (6.0) in its PE header: $header"
done < <(find "$staged" -name '*.exe' -print0)

# part START: the lines of the installer script from the one that is START
# to the section's or function's end, without leading spaces.
nsi=$(dirname "$staged")/project.nsi
part() {
  start=$1 awk '{ sub(/\r$/, ""); sub(/^[ \t]+/, "") }
    $0 == ENVIRON["start"] { inside = 1 }
    inside { print }
    inside && /^(SectionEnd|FunctionEnd)$/ { exit }' "$nsi"
}
# in_order WHERE TEXT LINE...: TEXT holds each LINE, in this order.
in_order() {
  local where=$1 text=$2 line at=0 found
  shift 2
  for line in "$@"; do
    found=$(want=$line awk -v after="$at" 'NR > after && $0 == ENVIRON["want"] { print NR; exit }' <<<"$text")
    [ -n "$found" ] || { fail "$where has no line '$line' where expected"; return; }
    at=$found
  done
}
[ "$(part 'Function .onInit' | sed -n 2p)" = 'Call MirlotRequireWindows' ] ||
  fail ".onInit does not start with Call MirlotRequireWindows"
in_order "MirlotRequireWindows" "$(part 'Function MirlotRequireWindows')" \
  '${IfNot} ${AtLeastWinVista}' \
  'MessageBox MB_OK|MB_ICONSTOP "Mirlot needs Windows Vista or later." /SD IDOK' \
  'SetErrorLevel 2' 'Quit' '${EndIf}'
gui=$(cd "$staged" && find . -name mirlot-gui.exe | cut -c3-)
verb='Software\Classes\SystemFileAssociations\.txt\shell\Mirlot'
image_verb='Software\Classes\*\shell\MirlotImage'
if [ -n "$gui" ]; then
  native_view=('${If} ${RunningX64}' 'SetRegView 64' '${EndIf}')
  in_order "the install section" "$(part 'Section "-Core installation"')" "${native_view[@]}" \
    "WriteRegStr SHCTX \"$verb\" \"\" \"Pack with Mirlot\"" \
    "WriteRegStr SHCTX \"$verb\\command\" \"\" '\"\$INSTDIR\\${gui//\//\\}\" \"%1\"'" \
    "WriteRegStr SHCTX \"$image_verb\" \"\" \"Open in Mirlot\"" \
    "WriteRegStr SHCTX \"$image_verb\" \"AppliesTo\" 'System.FileName:=\"out.bin\"'" \
    "WriteRegStr SHCTX \"$image_verb\\command\" \"\" '\"\$INSTDIR\\${gui//\//\\}\" --image \"%1\"'" \
    'SetRegView default'
  in_order "the uninstall section" "$(part 'Section "Uninstall"')" "${native_view[@]}" \
    "DeleteRegKey SHCTX \"$verb\"" "DeleteRegKey SHCTX \"$image_verb\"" \
    'SetRegView default'
fi
page=$(sed -n 's/^ *!insertmacro MUI_PAGE_LICENSE "\(.*\)"\r*$/\1/p' "$nsi")
[ -n "$page" ] || fail "the installer script has no licence page"
for license in ${page:+"$page"} "$staged/LICENSE.txt"; do
  scripts/check-licenses.sh "$name: $license" <"$license" || failures=$((failures + 1))
done
# Mirlot's own images in place of the installer's stock artwork: BMPs of
# the installer's sizes, drawn from the icon at build time.
for image in MUI_WELCOMEFINISHPAGE_BITMAP:164x314 MUI_UNWELCOMEFINISHPAGE_BITMAP:164x314 \
  MUI_HEADERIMAGE_BITMAP:150x57; do
  define=${image%:*} size=${image#*:}
  bitmap=$(sed -n "s/^ *!define $define \"\(.*\)\"\r*\$/\1/p" "$nsi")
  case "$bitmap" in
  */icons/setup-*.bmp) ;;
  *) fail "the installer script shows no image of Mirlot's for $define: '$bitmap'" ;;
  esac
  file -b "$bitmap" | grep -q "^PC bitmap, Windows 3.x format, ${size/x/ x } x" ||
    fail "$define: $bitmap is no $size BMP: $(file -b "$bitmap" 2>&1)"
done
[ "$failures" -eq 0 ] || exit 1

if ! reason=$(cmake/wine-host.sh loader "$setup"); then
  echo "check-installer: $name made and its script checked, not run: $reason" >&2
  exit 77
fi

export WINEPREFIX=$PWD/build/wine-installer
# cmake/wine-run.sh makes the prefix, starts wine's server and services with
# their output going nowhere (so that a reader of this script's output is not
# kept waiting by them) and runs the program.
wine_run=$PWD/cmake/wine-run.sh
win() { "$wine_run" "$WINEPREFIX" "$@" </dev/null; }
stop_wine() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
}
trap stop_wine EXIT
win cmd /c exit 0

drive=$WINEPREFIX/drive_c
# A 32-bit setup in a 64-bit prefix installs into "Program Files (x86)".
folder='Program Files/Mirlot'
if [[ $name == *-win32-setup && -d "$drive/Program Files (x86)" ]]; then
  folder='Program Files (x86)/Mirlot'
fi
installed=$drive/$folder
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Mirlot"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mirlot'
# The Explorer verbs, for the machine, in the view Explorer reads.
verb_key="HKLM\\$verb"
image_verb_key="HKLM\\$image_verb"
native=/reg:32
[ ! -d "$drive/windows/syswow64" ] || native=/reg:64

# key_exists KEY [VIEW]: whether KEY is in the registry's 32-bit view, or
# in VIEW (/reg:32, /reg:64).
key_exists() { win reg query "$1" "${2:-/reg:32}" >/dev/null 2>&1; }
# The default value of KEY in the native view.
default_value() { win reg query "$1" /ve "$native" 2>/dev/null | tr -d '\r' | sed -n 's/^.*REG_SZ *//p'; }

# Leftovers of an earlier check that failed half-way: start a fresh prefix.
if [ -e "$installed" ] || [ -e "$menu" ] || key_exists "$uninstall_key" ||
  key_exists "$verb_key" "$native"; then
  stop_wine
  rm -rf "$WINEPREFIX"
fi

win "$setup" /S || fail "setup exited with $?"

# Every staged file is installed unchanged, beside the uninstaller.
while IFS= read -r -d '' file; do
  cmp -s "$staged/$file" "$installed/$file" || fail "$file not installed as staged"
done < <(cd "$staged" && find . -type f -print0)
[ -f "$installed/Uninstall.exe" ] || fail "no Uninstall.exe"
version=$(cd "$installed" && win "$(find . -name mirlot.exe | head -n 1)" --version 2>&1 | tr -d '\r') ||
  fail "the installed mirlot.exe --version failed"
[ "$version" = "mirlot $(echo "$name" | cut -d- -f2)" ] || fail "mirlot.exe --version printed '$version'"

# The Start-menu folder: the window's shortcut when the window is built, the
# uninstaller's and the manual's.
shortcut_target() { strings -a "$1" 2>/dev/null | grep -m 1 '^[A-Z]:\\.*\.exe$'; }
windows_folder="C:\\${folder//\//\\}"
if [ -n "$gui" ]; then
  [ "$(shortcut_target "$menu/Mirlot.lnk")" = "$windows_folder\\${gui//\//\\}" ] ||
    fail "no Start-menu shortcut Mirlot.lnk to $gui"
fi
[ "$(shortcut_target "$menu/Uninstall.lnk")" = "$windows_folder\\Uninstall.exe" ] ||
  fail "no Start-menu shortcut to the uninstaller"
# The manual's shortcut opens the installed manual.md in Notepad.
shortcut_target "$menu/Manual.lnk" | grep -qi 'notepad\.exe$' &&
  strings -a -el "$menu/Manual.lnk" | grep -qF "\"$windows_folder\\manual.md\"" ||
  fail "no Start-menu shortcut Manual.lnk opening manual.md in Notepad"

# Registered for Apps & features.
entry=$(win reg query "$uninstall_key" /reg:32 2>/dev/null | tr -d '\r') ||
  fail "no uninstall registry key"
for value in DisplayName DisplayVersion UninstallString; do
  grep -q "$value" <<<"$entry" || fail "the uninstall key has no $value"
done

# "Pack with Mirlot" on the Explorer menu of .txt files starts the window
# with the file as its list; "Open in Mirlot", on files named out.bin only,
# opens the image window.
if [ -n "$gui" ]; then
  caption=$(default_value "$verb_key")
  [ "$caption" = "Pack with Mirlot" ] || fail "$verb_key is '$caption', not 'Pack with Mirlot'"
  command=$(default_value "$verb_key\\command")
  [ "$command" = "\"$windows_folder\\${gui//\//\\}\" \"%1\"" ] ||
    fail "$verb_key\\command is '$command'"
  caption=$(default_value "$image_verb_key")
  [ "$caption" = "Open in Mirlot" ] || fail "$image_verb_key is '$caption'"
  applies=$(win reg query "$image_verb_key" /v AppliesTo "$native" 2>/dev/null |
    tr -d '\r' | sed -n 's/^.*REG_SZ *//p')
  [ "$applies" = 'System.FileName:="out.bin"' ] ||
    fail "$image_verb_key applies to '$applies', not only to out.bin"
  command=$(default_value "$image_verb_key\\command")
  [ "$command" = "\"$windows_folder\\${gui//\//\\}\" --image \"%1\"" ] ||
    fail "$image_verb_key\\command is '$command'"
fi

# The uninstaller copies itself to a temporary folder and returns at once;
# the copy removes the installation folder, then the Start-menu folder and
# the registry keys, so wait for all of them to go.
win "$installed/Uninstall.exe" /S || fail "Uninstall.exe exited with $?"
deadline=$((SECONDS + 60))
while [ "$SECONDS" -lt "$deadline" ]; do
  if [ ! -e "$installed" ] && [ ! -e "$menu" ] && ! key_exists "$uninstall_key" &&
    ! key_exists 'HKLM\Software\Mirlot' && ! key_exists "$verb_key" "$native" &&
    ! key_exists "$image_verb_key" "$native"; then
    break
  fi
  sleep 0.1
done
[ ! -e "$installed" ] || fail "left after uninstalling: $(cd "$installed" && find . -mindepth 1 | tr '\n' ' ')"
[ ! -e "$menu" ] || fail "the Start-menu folder is left after uninstalling"
! key_exists "$uninstall_key" || fail "the uninstall registry key is left after uninstalling"
! key_exists 'HKLM\Software\Mirlot' ||
  fail "HKLM\\Software\\Mirlot is left after uninstalling"
! key_exists "$verb_key" "$native" || fail "$verb_key is left after uninstalling"
! key_exists "$image_verb_key" "$native" ||
  fail "$image_verb_key is left after uninstalling"

[ "$failures" -eq 0 ] || exit 1
stop_wine
rm -rf "$WINEPREFIX" "$WINEPREFIX.lock" "$WINEPREFIX.log"
echo "check-installer: $name installs, registers, has its shortcuts, and uninstalls leaving nothing" >&2

#!/usr/bin/env bash
# Installs what is missing, builds Mirlot's two Linux programs and starts
# its window, with the chooser opening in examples/. Without a desktop
# session it packs the example list with the command line instead. Only
# what the Linux build needs is installed and only the two programs are
# built, in the folder scripts/test.sh builds its first suite in.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --linux
scripts/build.sh build/release --target mirlot --target mirlot-gui
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Press \"...\" to choose a list (examples/list.txt is one), then Start." >&2
  cd examples
  exec ../build/release/src/window/qt/mirlot-gui
fi
echo "No desktop session (neither DISPLAY nor WAYLAND_DISPLAY is set), so no" \
  "window; packing examples/list.txt with the command line instead." >&2
build/release/src/cli/mirlot pack examples/list.txt
echo "Wrote examples/out.bin and examples/report.txt:" >&2
cat examples/report.txt

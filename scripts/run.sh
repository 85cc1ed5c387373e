#!/usr/bin/env bash
# Installs what is missing, builds Mirlot and packs the example list.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build/release
build/release/src/cli/mirlot pack examples/list.txt
echo "Wrote examples/out.bin and examples/report.txt:" >&2
cat examples/report.txt

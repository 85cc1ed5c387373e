#!/usr/bin/env bash
# Mutation pass over the runtime and packing code: scripts/mutants.sh [--help]
# Installs what is missing, then makes one small change at a time, rebuilds,
# runs the suites and prints which mutants survive and which tests kill each.
# Not part of CI: a pass of 150 mutants takes about an hour on two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh python3
exec python3 scripts/mutants.py "$@"

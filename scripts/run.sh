#!/usr/bin/env bash
# Installs what is missing, builds, and starts the controller from build/.
# With --demo first: a sample repository and a dozen emulated players too
# (scripts/demo.sh), all stopped when the window closes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh
if [[ ${1:-} == --demo ]]; then
  shift
  exec scripts/demo.sh "$@"
fi
cd build
exec ./kvo-controller "$@"

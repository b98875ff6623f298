#!/usr/bin/env bash
# Installs what is missing, builds, and starts the controller from build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh
cd build
exec ./kvo-controller "$@"

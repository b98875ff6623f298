#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package
# build/kvo-controller_<version>_<arch>.deb; install it with
#   apt install ./build/kvo-controller_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh
cd build
cpack -G DEB

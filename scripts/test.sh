#!/bin/sh
# Installs what is missing, builds, and runs every test.
set -e
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sh scripts/build.sh
cd build && ctest --output-on-failure --timeout 900

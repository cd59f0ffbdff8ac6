#!/usr/bin/env bash
# Sets up, builds and runs every test (the README's test command; CI runs exactly this).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default

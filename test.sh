#!/usr/bin/env bash
# Installs what is missing, builds under AddressSanitizer and UBSan, runs every test.
set -euo pipefail
cd "$(dirname "$0")"
. ./tools/deps.sh
tintscope_install_deps

cmake --preset asan
cmake --build --preset asan -j "$(nproc)"
cd build-asan
ctest --output-on-failure -j "$(nproc)" --timeout 600

#!/usr/bin/env bash
# Builds the release preset and runs the separations program with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
. ./tools/deps.sh
tintscope_install_deps

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target tintscope zova_plugin
# The program separates only through the plug-in module beside it.
exec build/tintscope "$@"

#!/usr/bin/env bash
# Builds the release preset and runs the separations program with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
. ./tools/deps.sh
tintscope_install_deps

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
# The program separates only through the plug-in module beside it.
if [ ! -x build/tintscope ] || [ ! -f build/ZOVA.api ]; then
  echo "run.sh: the tintscope program is not built yet; only the libraries and their tests exist (see README.md)." >&2
  exit 2
fi
exec build/tintscope "$@"

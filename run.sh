#!/usr/bin/env bash
# Builds the release preset and runs the separations program with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
. ./tools/deps.sh
tintscope_install_deps

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
if [ ! -x build/tintscope ]; then
  echo "run.sh: the tintscope program is not built yet; only the libraries and their tests exist (see README.md)." >&2
  exit 2
fi
exec build/tintscope "$@"

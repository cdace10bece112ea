#!/usr/bin/env bash
# Builds the release preset and runs the separations program with the given
# arguments, from the caller's folder (relative paths and the default output
# folder are the caller's).
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
(
  cd "$root"
  . ./tools/deps.sh
  tintscope_install_deps
  cmake --preset release >/dev/null
  cmake --build --preset release -j "$(nproc)" --target tintscope zova_plugin
) >&2
exec "$root/build/tintscope" "$@"

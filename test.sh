#!/usr/bin/env bash
# Installs what is missing, builds under AddressSanitizer and UBSan, runs every
# test, then the drawing tests under ThreadSanitizer; where clang with
# libFuzzer is present, also builds the fuzz targets and replays their saved
# inputs.
set -euo pipefail
cd "$(dirname "$0")"
. ./tools/deps.sh
tintscope_install_deps

cmake --preset asan
cmake --build --preset asan -j "$(nproc)"
(cd build-asan && ctest --output-on-failure -j "$(nproc)" --timeout 600)

# The drawing's threads under ThreadSanitizer.
cmake --preset tsan
cmake --build --preset tsan -j "$(nproc)" --target test_viewer_draw
ctest --preset tsan -j "$(nproc)" --timeout 600

probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' > "$probe/f.cpp"
if command -v clang++ >/dev/null && clang++ -fsanitize=fuzzer "$probe/f.cpp" -o "$probe/f" 2>/dev/null; then
    fuzz/run.sh 0
else
    echo "test.sh: clang with libFuzzer not found; the fuzz targets are not built."
fi

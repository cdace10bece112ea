# Sourced by test.sh and run.sh: installs the Debian packages the build needs,
# only those that dpkg reports as absent, with one apt-get update.
tintscope_packages=(
  g++ cmake ninja-build pkg-config
  zlib1g-dev libjpeg62-turbo-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  ghostscript
  libqpdf-dev qpdf
  libmupdf-dev libmujs-dev libgumbo-dev libopenjp2-7-dev libjbig2dec0-dev libharfbuzz-dev libfreetype-dev
  mupdf-tools
)

tintscope_install_deps() {
  local missing=()
  local p
  for p in "${tintscope_packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
}

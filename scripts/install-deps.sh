#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with, and the web page's test driver from
# npm (scripts/install-web-test-deps.sh); does nothing when all are there.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config    # the build
  libsdl2-dev                         # the window, keyboard and sound of the Linux build
  libgtest-dev libbenchmark-dev       # unit tests and benchmarks
  libfreetype-dev fonts-dejavu-core   # the asset generator rasterises its lettering from DejaVu
  libpng-dev zlib1g-dev               # PNG pictures of the tools
  libcli11-dev                        # zarn-tool's command line
  xvfb xauth xdotool x11-apps x11-utils imagemagick  # end-to-end runs on a virtual display
  xfonts-base                         # the X fonts message boxes are drawn with on a bare X server
  g++-mingw-w64-x86-64 wine wine64    # the Windows program, cross-built and run under Wine
  zip                                 # the release archives
  openmpt123 xmp                      # peers of the module render benchmark, used there only
  ffmpeg                              # zarn-tool record encodes its video through it
  emscripten chromium                 # the web page, and the browser its test plays it in
  clang libclang-rt-14-dev            # the fuzz targets: libFuzzer with AddressSanitizer
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please install as root: apt-get install ${missing[*]}" >&2; exit 1; }
    as_root=(sudo)
  fi
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
"$(dirname "$0")/install-web-test-deps.sh"

#!/usr/bin/env bash
# Installs the Debian packages the project needs; does nothing when all are there.
#   scripts/install-deps.sh --play   only what building and playing the intro needs: the compiler, SDL2 and
#                                    the libraries zarn and zarn-tool link (./run.sh)
#   scripts/install-deps.sh          everything the tests, the Windows and web builds, fuzzing and the
#                                    benchmarks use as well, with the web test's driver from npm (./test.sh)
set -euo pipefail
usage() { echo "usage: scripts/install-deps.sh [--play]"; }
case "$*" in
  "" | --play) ;;
  -h | --help) usage; exit 0 ;;
  *) usage >&2; exit 2 ;;
esac

play_packages=(
  g++ cmake ninja-build pkg-config    # the build
  libsdl2-dev                         # the window, keyboard and sound of the Linux build
  fonts-dejavu-core                   # the asset generator rasterises its lettering from DejaVu
  libpng-dev zlib1g-dev               # PNG pictures of the tools
  libcli11-dev                        # zarn-tool's command line
  libtomlplusplus-dev                 # zarn-tool kit reads a group's kit file
  libstb-dev                          # zarn-tool import: PNG and JPEG pictures; the lettering's
                                      # rasteriser (stb_truetype)
)
test_packages=(
  libgtest-dev libbenchmark-dev       # unit tests and benchmarks
  xvfb xauth xdotool x11-apps x11-utils imagemagick  # end-to-end runs on a virtual display
  xfonts-base                         # the X fonts message boxes are drawn with on a bare X server
  g++-mingw-w64-x86-64 wine wine64    # the Windows program, cross-built and run under Wine
  zip                                 # the release archives
  openmpt123 xmp                      # peers of the module render benchmark, used there only
  ffmpeg                              # zarn-tool record encodes its video through it; ffplay for
                                      # bench/picture_cpu.sh
  emscripten chromium firefox-esr     # the web page, and the browsers its test plays it in
  pulseaudio                          # a sound server for Firefox, which plays sound only through one
  python3                             # the plain static server (http.server) the web test serves the page from
  nodejs                              # the web page's sound worklet, tested without a browser
  clang libclang-rt-14-dev            # the fuzz targets: libFuzzer with AddressSanitizer
)

packages=("${play_packages[@]}")
play_only=false
if [ "${1:-}" = "--play" ]; then
  play_only=true
else
  packages+=("${test_packages[@]}")
fi

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
$play_only || "$(dirname "$0")/install-web-test-deps.sh"

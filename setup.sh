#!/usr/bin/env bash
# Installs every build and test dependency from Debian's packages (as root, once) and builds
# Velotrax natively (build/linux) and for 64-bit Windows (build/win64). Quick when all is there.
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  cmake ninja-build g++ pkg-config dpkg-dev xz-utils
  libboost1.81-dev libboost-program-options1.81-dev libboost-filesystem1.81-dev
  libboost-system1.81-dev libboost-thread1.81-dev libboost-regex1.81-dev
  libgtest-dev libgmock-dev libpugixml-dev libpng-dev libx11-dev libxrandr-dev python3
  python3-pytest python3-pytest-timeout python3-pytest-xdist python3-junitparser libxml2-utils
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64 xvfb xdotool xauth strace x11-utils
  clang clang-14 clang-format libclang-rt-14-dev libfuzzer-14-dev hyperfine
  lintian unzip man-db
)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Debian has no Boost, pugixml or libpng for MinGW: build them from Debian's own source.
scripts/mingw-deps.sh

jobs=$(nproc)
cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/win64 -j "$jobs"
cmake -S . -B build/linux -G Ninja -DVELOTRAX_WIN_BUILD="$PWD/build/win64" >/dev/null
cmake --build build/linux -j "$jobs"
# The ThreadSanitizer tests' tree, built here so that the tests only run.
scripts/tsan-tree.sh "$PWD" build/linux/tsan watch_tests bridge_tests bridge_core_tests
echo "setup: built build/linux/bin, build/win64/bin and the ThreadSanitizer tree build/linux/tsan"

#!/usr/bin/env bash
# Builds the four packages and checks them as users get them: lintian on both .debs (an error or
# a warning fails; packaging/velotrax.lintian-overrides says why the overridden ones stay), the
# .deb pair unpacked into an empty root with dpkg -x and the bundled example run from there, and
# both zips unpacked into a fresh Wine prefix and the same example run with velotrax.exe.
#   scripts/check-packages.sh [LINUX_TREE [WIN64_TREE]]     (default build/linux, build/win64)
set -euo pipefail
cd "$(dirname "$0")/.."
linux=${1:-build/linux}
win64=${2:-build/win64}
say() { echo "check-packages: $*"; }
fail() {
  echo "check-packages: ERROR: $*" >&2
  exit 1
}
cached() { sed -n "s/^$1:[A-Z]*=//p" "$2/CMakeCache.txt"; }

version=$(cached CMAKE_PROJECT_VERSION "$linux")
[[ $version == "$(cached CMAKE_PROJECT_VERSION "$win64")" ]] || fail "the trees build different versions"
for tree in "$linux" "$win64"; do
  cmake --build "$tree" --target package >/dev/null || fail "cmake --build $tree --target package"
done
packages=$(cached VELOTRAX_PACKAGE_DIR "$linux")
deb=$packages/velotrax_${version}_amd64.deb
standin_deb=$packages/velotrax-standin_${version}_amd64.deb
zip=$packages/velotrax-$version-win64.zip
standin_zip=$packages/velotrax-standin-$version-win64.zip
for package in "$deb" "$standin_deb" "$zip" "$standin_zip"; do
  [[ -f $package ]] || fail "$package was not built"
  say "$(basename "$package"): $(stat -c %s "$package") bytes"
done

say "lintian"
lintian --fail-on error,warning "$deb" "$standin_deb"

# The example's expected output line, and the run that must print it.
expect_value() {
  local output=$1 where=$2
  grep -qx 'Value: 55' <<<"${output//$'\r'/}" || fail "the example printed no 'Value: 55' $where:
$output"
  say "the example printed 'Value: 55' $where"
}
scratch=$(mktemp -d)
wine_prefix=$scratch/wineprefix
cleanup() {
  [[ -d $wine_prefix ]] && scripts/wine-prefix.sh stop "$wine_prefix"
  rm -rf "$scratch"
}
trap cleanup EXIT

root=$scratch/root
dpkg -x "$deb" "$root"
dpkg -x "$standin_deb" "$root"
halconroot=$root/usr/lib/velotrax-standin
[[ $("$root/usr/bin/velotrax" --version) == "Velotrax $version" ]] || fail "the installed velotrax is not $version"
output=$(cd "$halconroot" && HALCONROOT=$halconroot timeout 60 "$root/usr/bin/velotrax" \
  --no-dialogs examples/fibonacci.hdvp 10 2>&1) || fail "velotrax in the dpkg -x root failed:
$output"
expect_value "$output" "in the dpkg -x root"

# Both zips unpack into one folder, a complete installation: HALCONROOT is that folder.
scripts/wine-prefix.sh start "$wine_prefix"
unzip -q "$zip" -d "$wine_prefix/drive_c"
unzip -q "$standin_zip" -d "$wine_prefix/drive_c"
folder=velotrax-$version-win64
output=$(cd "$wine_prefix/drive_c/$folder" && WINEPREFIX=$wine_prefix WINEDEBUG=-all \
  HALCONROOT="C:\\$folder" timeout 120 wine velotrax.exe --no-dialogs examples/fibonacci.hdvp 10 \
  2>&1) || fail "velotrax.exe from the zips failed:
$output"
expect_value "$output" "under Wine"

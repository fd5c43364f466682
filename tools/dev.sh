#!/usr/bin/env bash
# Set-up on a fresh Debian 12 machine: installs the Debian packages it needs, builds, and then
#   run      starts waybill from the build's bin folder (creating an empty data.mdb there first if
#            there is none),
#   test     runs the whole test suite, or
#   package  makes the .deb (waybill_<version>_<arch>.deb in the build folder) and checks it
#            with lintian.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${WAYBILL_BUILD_DIR:-$here/build}"
mode="${1:-}"
case "$mode" in run|test|package) ;; *) echo "usage: $0 run|test|package" >&2; exit 2 ;; esac

build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev libsqlcipher-dev libfreexl-dev qt6-translations-l10n fonts-arphic-uming fonts-dejavu-core)
# openjdk-17-jdk-headless and libapache-poi-java: Apache POI reads every export back (test only;
# about 120 MB download with its JRE, measured from the package sizes)
test_packages=(xvfb xauth poppler-utils python3-xlrd sqlcipher openbox xdotool xclip x11-utils imagemagick
               openjdk-17-jdk-headless libapache-poi-java cups ghostscript)
# dpkg-shlibdeps (and file, which CPack runs before it), lintian, and the checkers of the installed files.
package_packages=(dpkg-dev file lintian desktop-file-utils appstream man-db openbox xdotool)
packages=("${build_packages[@]}")
[ "$mode" = test ] && packages+=("${test_packages[@]}" "${package_packages[@]}")
[ "$mode" = package ] && packages+=("${package_packages[@]}")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"

if [ "$mode" = run ]; then
  cd "$build/bin"
  [ -e data.mdb ] || ./waybillctl init .
  exec ./waybill
fi

if [ "$mode" = package ]; then
  cmake --build "$build" --target package
  # lintian exits non-zero on errors; its warnings are printed and let through.
  lintian --fail-on error "$build"/waybill_*.deb
  exit 0
fi

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
ctest --test-dir "$build" --output-on-failure -j2

#!/usr/bin/env bash
# Installs what building and testing need, when it is missing (Debian packages).
# Usage: scripts/setup.sh [build|fuzz|windows|package|test]   (build: compiler and tools; fuzz:
# also clang and its sanitizer runtime; windows: mingw-w64, Wine and its fonts; package: also the
# package tools; test: everything the tests need)
set -euo pipefail

want=(g++ cmake ninja-build libgtest-dev)
case "${1:-build}" in
    fuzz | test) want+=(clang libclang-rt-14-dev) ;;
esac
# The KML test reads the file back with GDAL's ogrinfo, as Google Earth's peers would.
case "${1:-build}" in
    test) want+=(gdal-bin) ;;
    bench) want+=(time bc linux-perf) ;;
esac
# The Windows programs: the mingw-w64 cross compiler, and Wine, Wine's own fonts (which
# --no-install-recommends leaves out; the dialog is laid out in its "MS Sans Serif"), Xvfb and
# ImageMagick for the GUI tests and their screenshots.
case "${1:-build}" in
    windows | package | test)
        want+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 fonts-wine xvfb
            imagemagick) ;;
esac
# The packages: the Debian package (dpkg-dev works out its dependencies), the portable zip and
# the NSIS installer, and what their tests read them with (unzip; groff and man for the manual
# page; lintian, Debian's own check of a package).
case "${1:-build}" in
    package | test) want+=(dpkg-dev zip unzip nsis groff-base man-db lintian) ;;
esac

missing=()
for package in "${want[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

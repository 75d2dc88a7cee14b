#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs every test: the unit, end-to-end and
# console tests (native and again under AddressSanitizer and UndefinedBehaviorSanitizer), the
# Windows programs cross-built with their GUI tests under Wine, the packages (Debian package,
# Windows zip and installer, the installer tried under Wine), and a bounded fuzz run of each fuzz
# target.
# Environment: BB_FUZZ_SECONDS (seconds per fuzz target, default 60; 0 skips fuzzing).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh test
echo "== native build and tests"
cmake --workflow --preset linux
echo "== Windows build (mingw-w64) and GUI tests under Wine"
cmake --workflow --preset mingw
echo "== packages from those two builds, and their tests"
scripts/package.sh
tests/packaging/package_test.sh build/packages
echo "== sanitizer build and tests"
cmake --workflow --preset asan
if [[ ${BB_FUZZ_SECONDS:-60} != 0 ]]; then
    echo "== bounded fuzz runs"
    scripts/fuzz.sh "${BB_FUZZ_SECONDS:-60}"
fi

#!/usr/bin/env bash
# Builds every package into build/packages/: the Debian package of the console program (from the
# linux preset's build) and, from the mingw preset's cross build, the Windows programs as a
# portable zip and as an NSIS installer. Missing tools are installed first (scripts/setup.sh).
# Environment: BB_LINUX_BUILD, BB_MINGW_BUILD (build folders, default build/linux and
# build/mingw), BB_PACKAGE_DIR (default build/packages).
set -euo pipefail
cd "$(dirname "$0")/.."

linux_build=${BB_LINUX_BUILD:-build/linux}
mingw_build=${BB_MINGW_BUILD:-build/mingw}
out=${BB_PACKAGE_DIR:-build/packages}

scripts/setup.sh package

# Configures a build folder from a preset unless it is configured, then builds what is packaged.
build() {
    local preset=$1 dir=$2
    shift 2
    [[ -f $dir/CMakeCache.txt ]] || cmake --preset "$preset" -B "$dir" >/dev/null
    cmake --build "$dir" --target "$@"
}

build linux "$linux_build" bbook2tellurax bb_compressed_docs
build mingw "$mingw_build" bbook2tellurax BBookToTellurax

rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
for dir in "$linux_build" "$mingw_build"; do
    # CPack's scratch folder stays in the build folder; only the packages land in $out.
    (cd "$dir" && cpack --config CPackConfig.cmake -B "$PWD/_CPack_Packages_out" >cpack.log) || {
        cat "$dir/cpack.log" >&2
        exit 1
    }
    find "$dir/_CPack_Packages_out" -maxdepth 1 -type f \( -name '*.deb' -o -name '*.zip' \
        -o -name '*.exe' -o -name '*.sha256' \) -exec mv {} "$out/" \;
done
echo "packages in $out:"
ls -l "$out"

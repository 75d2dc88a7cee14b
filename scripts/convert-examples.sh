#!/usr/bin/env bash
# Sets up what is missing, builds the console program and converts the bundled sample files
# into build/examples-output.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh build
cmake --preset linux >/dev/null
cmake --build --preset linux --target bbook2tellurax
output=build/examples-output.txt
build/linux/cli/bbook2tellurax -s examples/serfil -b examples/project.bfl \
    -g examples/project.gfl -o "$output"
echo "--- the first lines of $output:"
head -n 60 "$output"

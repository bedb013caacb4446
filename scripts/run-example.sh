#!/usr/bin/env bash
# Builds Nodelyx and runs the main job on the bundled XOR example.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target nodelyx-cli

echo "== The XOR example's configuration, read over the defaults and written back:"
./build/src/nodelyx-cli config examples/xor/xor.net

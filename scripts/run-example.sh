#!/usr/bin/env bash
# Builds Nodelyx and runs the main job on the bundled example: trains the
# XOR network of examples/xor.net with nodelyx-cli and shows the result.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target nodelyx-cli

mkdir -p build/examples
cli=./build/src/nodelyx-cli
echo
echo "== Training examples/xor.net"
"$cli" train examples/xor.net --seed 1 --weights build/examples/xor.wts
echo
echo "== Its outputs for the four corners (inputs, then the network's output)"
printf '0 0\n0 1\n1 0\n1 1\n' | "$cli" eval build/examples/xor.wts | paste -d' ' <(printf '0 0\n0 1\n1 0\n1 1\n') -
echo
echo "== Its training history"
"$cli" history build/examples/xor.wts

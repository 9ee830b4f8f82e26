#!/usr/bin/env bash
# Installs what is missing, builds Tonvarra in Release and starts it.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install_deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DTONVARRA_TESTS=OFF -DTONVARRA_BENCH=OFF >/dev/null
cmake --build build/release --target tonvarra -j "$(nproc)"
# Started from its own folder, where it keeps its files: nothing it writes lands in the source tree.
cd build/release
exec ./tonvarra "$@"

#!/usr/bin/env bash
# Builds the benchmark (installing libxlsxwriter-dev if missing) and runs it:
# tavrune-batch generating per-table scripts from a 300-sheet workbook.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! dpkg-query -W -f='${Status}' libxlsxwriter-dev 2>/dev/null | grep -q 'ok installed'; then
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq libxlsxwriter-dev
fi
./scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build-release --parallel --target tavrune-bench
build-release/bench/tavrune-bench "$@"

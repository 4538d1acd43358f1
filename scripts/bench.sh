#!/usr/bin/env bash
# Builds the benchmark and runs it: tavrune-batch against the inflate floor, openpyxl
# and SheetJS on large table-definition workbooks, printed as a Markdown table.
# Installs libxlsxwriter-dev, python3-openpyxl and python3-xlwt if missing, and SheetJS
# (the npm package xlsx) into build-release/bench-node/, not as a project dependency.
# LibreOffice is not installed: without soffice the .ods row is left out.
set -euo pipefail
cd "$(dirname "$0")/.."
missing=()
for package in libxlsxwriter-dev python3-openpyxl python3-xlwt; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
if ((${#missing[@]})); then
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
./scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >&2
cmake --build build-release --parallel 2 --target tavrune-bench >&2
if [[ ! -d build-release/bench-node/node_modules/xlsx ]]; then
    if command -v npm >/dev/null; then
        npm install --prefix build-release/bench-node --no-audit --no-fund xlsx >&2 ||
            echo "bench.sh: npm could not install xlsx; no SheetJS figures" >&2
    else
        echo "bench.sh: npm is not installed; no SheetJS figures" >&2
    fi
fi
build-release/bench/tavrune-bench

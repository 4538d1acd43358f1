#!/usr/bin/env bash
# Saves PNGs of the main window (both pages), the format editor, the overwrite
# question, the progress window and the About box into screenshots/, drawn under
# Xvfb with the sample workbook and settings, for review by eye.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v xvfb-run >/dev/null; then
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends xvfb xauth
fi
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tavrune_screenshots
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1000x24 -dpi 96" \
    build/tests/screenshots/tavrune_screenshots "${1:-screenshots}"

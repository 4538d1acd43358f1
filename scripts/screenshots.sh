#!/usr/bin/env bash
# Saves PNGs of the first start's screen, the main window (both pages), the format
# editor, the comparison of two workbooks, the connection settings, a workbook
# written from a database, the password question, the overwrite question, the progress
# window and the About box into screenshots/1x and screenshots/2x
# (QT_SCALE_FACTOR=2), drawn under Xvfb on a 1600 × 1000 screen with the sample
# workbook and settings, for review by eye.
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
out=${1:-screenshots}
for scale in 1 2; do
    QT_SCALE_FACTOR=$scale QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1000x24 -dpi 96" \
        build/tests/screenshots/tavrune_screenshots "$out/${scale}x"
done

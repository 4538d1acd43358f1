#!/usr/bin/env bash
# Builds the Debian package of tavrune and tavrune-batch (Release, without the
# tests) into build-package/: build-package/tavrune_VERSION_ARCH.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh package
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build-package --parallel 2 --target tavrune tavrune-batch
rm -f build-package/tavrune_*.deb
(cd build-package && cpack -G DEB)
ls build-package/tavrune_*.deb

#!/usr/bin/env bash
# Fuzzes every harness for SECONDS each (default 600), two at a time:
# fuzz/run-all.sh [SECONDS]
set -euo pipefail
source "$(dirname "$0")/common.sh"
seconds=${1:-600}
build_fuzzers >/dev/null
[[ -d $fuzz_build/corpus ]] || "$fuzz_root/fuzz/seed.sh"
printf '%s\n' "${harnesses[@]}" |
    TAVRUNE_FUZZ_NO_BUILD=1 xargs -P 2 -I{} "$fuzz_root/fuzz/run.sh" {} "$seconds"

#!/usr/bin/env bash
# Builds the fuzzers and runs every committed regression input once through its
# harness under the sanitizers. Exits non-zero when any input fails.
set -euo pipefail
source "$(dirname "$0")/common.sh"
build_fuzzers
for harness in "${harnesses[@]}"; do
    inputs=("$fuzz_root/fuzz/regressions/$harness"/*)
    [[ -e ${inputs[0]} ]] || continue
    echo "replaying ${#inputs[@]} input(s) through $harness"
    "$fuzz_build/fuzz/fuzz_$harness" -timeout=30 -rss_limit_mb=2048 "${inputs[@]}" \
        >"$fuzz_build/replay-$harness.log" 2>&1 || { cat "$fuzz_build/replay-$harness.log"; exit 1; }
done

#!/usr/bin/env bash
# Fuzzes one harness: fuzz/run.sh HARNESS [SECONDS] (default 600). Builds the
# fuzzers when needed, seeds the corpus on first use, and writes what it finds to
# fuzz-build/artifacts/HARNESS/ and its log to fuzz-build/logs/HARNESS.log.
set -euo pipefail
source "$(dirname "$0")/common.sh"
harness=${1:?usage: fuzz/run.sh HARNESS [SECONDS]}
seconds=${2:-600}
[[ " ${harnesses[*]} " == *" $harness "* ]] || { echo "unknown harness: $harness" >&2; exit 2; }
[[ -n ${TAVRUNE_FUZZ_NO_BUILD:-} ]] || build_fuzzers >/dev/null
[[ -d $fuzz_build/corpus/$harness ]] || "$fuzz_root/fuzz/seed.sh"
mkdir -p "$fuzz_build/artifacts/$harness" "$fuzz_build/logs"
dictionary=()
[[ -n $(dictionary "$harness") ]] && dictionary=(-dict="$(dictionary "$harness")")
cd "$fuzz_build"
# An input that runs into one of the readers' work bounds takes many seconds under
# the sanitizers; only one past 30 s is a hang.
"$fuzz_build/fuzz/fuzz_$harness" "corpus/$harness" "${dictionary[@]}" \
    -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -max_len="$(max_len "$harness")" \
    -artifact_prefix="artifacts/$harness/" -print_final_stats=1 \
    2>&1 | tee "logs/$harness.log" | grep -E '^#[0-9]+.*(pulse|DONE)|ERROR|SUMMARY|Test unit|stat::'

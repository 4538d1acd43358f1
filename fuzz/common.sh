# Shared by the fuzz scripts: where things live and how the sanitizers report.
fuzz_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fuzz_build=${TAVRUNE_FUZZ_BUILD:-$fuzz_root/fuzz-build}
harnesses=(xlsx_reader xlsx_template xls_reader ods_reader settings_file window_state_file
    template_expansion cell_address_number)

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:allocator_may_return_null=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$fuzz_root/fuzz/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# Configures and builds the fuzzers with clang, sanitizers and libFuzzer.
build_fuzzers() {
    CC=clang CXX=clang++ cmake -S "$fuzz_root" -B "$fuzz_build" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRUNE_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
    local targets=() harness
    for harness in "${harnesses[@]}"; do
        targets+=("fuzz_$harness")
    done
    # Only the fuzzers: the windows are not fuzzed.
    cmake --build "$fuzz_build" --parallel --target "${targets[@]}" "$@"
}

# The dictionary of a harness, if it has one: the template is a workbook like
# those the reader reads.
dictionary() {
    local name=$1
    [[ $name == xlsx_template ]] && name=xlsx_reader
    [[ -f $fuzz_root/fuzz/$name.dict ]] && echo "$fuzz_root/fuzz/$name.dict"
    return 0
}

# The longest input worth trying for a harness.
max_len() {
    case $1 in
    xlsx_reader | xlsx_template | xls_reader | ods_reader) echo 1048576 ;;
    settings_file | window_state_file) echo 65536 ;;
    template_expansion) echo 8192 ;;
    *) echo 256 ;;
    esac
}

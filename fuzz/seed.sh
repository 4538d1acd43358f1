#!/usr/bin/env bash
# Fills fuzz-build/corpus/<harness>/ with starting inputs taken from the test
# fixtures and the samples. The corpus stays out of git; only inputs that found a
# fault are kept, in fuzz/regressions/.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$fuzz_root"
corpus=$fuzz_build/corpus
mkdir -p "${harnesses[@]/#/$corpus/}"
cp tests/data/xlsx/*.xls[xm] tests/data/formats/*.xlsx samples/*.xlsx "$corpus/xlsx_reader/"
cp tests/data/xls/*.xls tests/data/formats/*.xls tests/data/hostile/*.xls "$corpus/xls_reader/"
cp tests/data/ods/*.ods tests/data/formats/*.ods tests/data/hostile/*.ods "$corpus/ods_reader/"
# The hostile packages too, but not those that run into the work bounds: under the
# sanitizers each of them takes seconds, and mutations of them would too.
for package in tests/data/hostile/*.xlsx; do
    case $package in
    *element_flood* | *empty_shared_strings* | *huge_value* | *long_comment*) ;;
    *) cp "$package" "$corpus/xlsx_reader/" ;;
    esac
done
# Stored (uncompressed) copies of the zip packages let mutations reach the XML.
for harness in xlsx_reader ods_reader; do
    for package in "$corpus/$harness"/*; do
        python3 - "$package" "$package.stored" <<'PYTHON' 2>/dev/null || rm -f "$package.stored"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as source, zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_STORED) as copy:
    for item in source.infolist():
        copy.writestr(item.filename, source.read(item), zipfile.ZIP_STORED)
PYTHON
    done
    find "$corpus/$harness" -name '*.stored' -size +1M -delete
done
# A definition workbook's template is any workbook the reader would read.
cp "$corpus/xlsx_reader/"* "$corpus/xlsx_template/"
cp samples/tavrune.dat "$corpus/settings_file/"
printf 'F\x01C3\x01C4\x017\x01B\x01C\x01D\x01E\x01F\x01*\x01G\x01*\x01NOT NULL\x01H\x01DEFAULT\x01I\x01E1\x01\x01\x01\x01\r\n\x02\r\nT\x01a\x03b\x01\x01\x01\x000\x011\x01x\x01y\x01n\x01d\x01\r\n' \
    >"$corpus/settings_file/small.dat"
printf '; comment\r\n[ pos ]\r\n  LEFT = 1200.6 \r\nTop="  q  "\r\n[Name]\r\nFormat=&H7F\r\nMain=2.5\r\n[Excel]\nDefPath=C:\\\x8c\xda\x8b\x71\\a.xlsx\n' \
    >"$corpus/window_state_file/hand.ini"
printf 'Pos\tLeft\t12\0[Pos]\r\nLeft=1\r\n' >"$corpus/window_state_file/query.ini"
printf 'CREATE TABLE [%%TableName] -- [%%TableTitle]\r\n  [%%RowTitle] [%%RowType] [%%NotNull] [%%Default] -- [%%Comment],\r\n  PRIMARY KEY ([%%Index])\r\n[%%Etc1][%%Etc2][%%Etc3][%%Etc4]\0C3\0C4\x007\0B\0C\0D\0E\0F\0○\0G\0○\0NOT NULL\0H\0DEFAULT\0I\0E1\0E2\0C3\0E4' \
    >"$corpus/template_expansion/table.txt"
for text in A1 '$XFD$1048576' xfd1048577 '&H7FFF' '&O17777' ' - 1 2 . 5 D3' 1.5E+308 '32767.5'; do
    printf '%s' "$text" >"$corpus/cell_address_number/$(printf '%s' "$text" | md5sum | cut -c1-12)"
done

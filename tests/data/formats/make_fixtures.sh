#!/bin/sh
# Writes the sample table-definition workbook again in the other formats, through
# LibreOffice, so that tests can check that every format reads the same texts.
# Needs Debian's libreoffice-calc-nogui.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
sample="$here/../../../samples/table_definitions.xlsx"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$sample" "$work/tables.xlsx"
soffice --headless --calc --convert-to ods --outdir "$work" "$work/tables.xlsx" >/dev/null
soffice --headless --calc --convert-to xls --outdir "$work" "$work/tables.xlsx" >/dev/null
soffice --headless --calc --convert-to xlsx:"Calc MS Excel 2007 XML" --outdir "$work/lo" "$work/tables.ods" >/dev/null
cp "$work/tables.ods" "$here/tables_libreoffice.ods"
cp "$work/tables.xls" "$here/tables_libreoffice.xls"
cp "$work/lo/tables.xlsx" "$here/tables_libreoffice.xlsx"
# A value stored in cells covered by a merge, which LibreOffice keeps and exports
# to every format: covered_value.fods is written by hand, the rest converted.
for format in ods xls 'xlsx:Calc MS Excel 2007 XML'; do
    soffice --headless --calc --convert-to "$format" --outdir "$work/covered" "$here/covered_value.fods" >/dev/null
done
cp "$work/covered/covered_value.ods" "$work/covered/covered_value.xls" "$work/covered/covered_value.xlsx" "$here/"

#!/usr/bin/env bash
# Draws doc/manual/sample_sheet.png: the first sheet ("顧客") of the sample workbook
# as LibreOffice prints it, with grid lines and row and column headings, cropped to
# the cells. Needs soffice (libreoffice-calc), pdftoppm (poppler-utils), ImageMagick
# and python3. Run it again after changing samples/make_sample.py and look at it.
# usage: scripts/make_manual_picture.sh
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A copy of the workbook whose first sheet prints on one landscape page with its
# grid and headings; the cells themselves stay as they are.
python3 - samples/table_definitions.xlsx "$work/sheet.xlsx" <<'EOF'
import sys
import zipfile

source, target = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(source) as zin, zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as zout:
    for item in zin.infolist():
        data = zin.read(item)
        if item.filename == "xl/worksheets/sheet1.xml":
            text = data.decode("utf-8")
            text = text.replace("<pageSetUpPr/>", '<pageSetUpPr fitToPage="1"/>', 1)
            start = text.index("<pageMargins")
            end = text.index("/>", start) + 2
            text = (text[:start] + '<printOptions headings="1" gridLines="1"/>' + text[start:end]
                    + '<pageSetup orientation="landscape" fitToWidth="1" fitToHeight="1"/>'
                    + text[end:])
            data = text.encode("utf-8")
        zout.writestr(item, data)
EOF

soffice --headless -env:UserInstallation="file://$work/profile" --convert-to pdf \
    --outdir "$work" "$work/sheet.xlsx" >/dev/null
pdftoppm -f 1 -l 1 -r 100 -png "$work/sheet.pdf" "$work/page"
convert "$work"/page-*1.png -trim +repage -bordercolor white -border 8 \
    -colors 64 -strip doc/manual/sample_sheet.png
echo "doc/manual/sample_sheet.png: $(stat -c %s doc/manual/sample_sheet.png) bytes"

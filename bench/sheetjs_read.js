// Reads every cell of a workbook as formatted text with SheetJS, the way a user's
// script would, and prints the number of cells read. Timed by tavrune-bench.
//
//   node sheetjs_read.js XLSX_MODULE_DIR WORKBOOK
'use strict';

const XLSX = require(process.argv[2]);

const workbook = XLSX.readFile(process.argv[3]);
let cells = 0;
let length = 0;
for (const name of workbook.SheetNames) {
    const sheet = workbook.Sheets[name];
    for (const address of Object.keys(sheet)) {
        if (address.startsWith('!')) {
            continue;
        }
        const cell = sheet[address];
        length += (cell.w ?? String(cell.v)).length;
        cells += 1;
    }
}
console.log(cells, length);

// Writes a workbook with the xlsx package's BIFF8 writer from a JSON fixture:
// {"sheets": [{"name": ..., "rows": [[number or string, ...], ...]}]}.
const fs = require('fs');
const XLSX = require('xlsx');

const [fixture, out] = process.argv.slice(2);
const content = JSON.parse(fs.readFileSync(fixture, 'utf8'));
const book = XLSX.utils.book_new();
for (const sheet of content.sheets) {
  XLSX.utils.book_append_sheet(book, XLSX.utils.aoa_to_sheet(sheet.rows), sheet.name);
}
XLSX.writeFile(book, out, { bookType: 'biff8', bookSST: true });

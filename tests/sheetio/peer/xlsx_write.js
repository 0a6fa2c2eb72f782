// Writes a workbook with the xlsx package's BIFF8 writer from a JSON fixture:
// {"sharedStrings": bool, "sheets": [{"name": ..., "rows": [[number, string, boolean or {"e": code}, ...]]}]}.
// Without shared strings the writer stores texts in LABEL records.
const fs = require('fs');
const XLSX = require('xlsx');

const [fixture, out] = process.argv.slice(2);
const content = JSON.parse(fs.readFileSync(fixture, 'utf8'));
const book = XLSX.utils.book_new();
for (const sheet of content.sheets) {
  const rows = sheet.rows.map((row) => row.map((v) => (v !== null && typeof v === 'object' ? 0 : v)));
  const ws = XLSX.utils.aoa_to_sheet(rows);
  sheet.rows.forEach((row, r) =>
    row.forEach((v, c) => {
      if (v !== null && typeof v === 'object') ws[XLSX.utils.encode_cell({ r, c })] = { t: 'e', v: v.e };
    }),
  );
  XLSX.utils.book_append_sheet(book, ws, sheet.name);
}
XLSX.writeFile(book, out, { bookType: 'biff8', bookSST: content.sharedStrings !== false });

// Writes a rows x cols workbook of doubles with the xlsx package's BIFF8 writer, 'repeats' times in
// this one process, and prints as JSON the median seconds of one write (building the sheet from the
// values and writing the file; module loading excluded, like the other side's library loading).
const XLSX = require('xlsx');

const [out, rowsText, colsText, repeatsText] = process.argv.slice(2);
const rows = Number(rowsText);
const cols = Number(colsText);
const repeats = Number(repeatsText);
const seconds = [];
for (let k = 0; k < repeats; ++k) {
  const start = process.hrtime.bigint();
  const data = [];
  for (let r = 0; r < rows; ++r) {
    const row = [];
    for (let c = 0; c < cols; ++c) row.push((r * cols + c + 1) * 1.000000001e-7 + c);
    data.push(row);
  }
  const book = XLSX.utils.book_new();
  XLSX.utils.book_append_sheet(book, XLSX.utils.aoa_to_sheet(data), 'Current');
  XLSX.writeFile(book, out, { bookType: 'biff8' });
  seconds.push(Number(process.hrtime.bigint() - start) / 1e9);
}
seconds.sort((a, b) => a - b);
console.log(JSON.stringify({ seconds: seconds[Math.floor(seconds.length / 2)] }));

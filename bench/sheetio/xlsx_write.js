// Writes a 65,535 x 2 workbook of doubles with the xlsx package's BIFF8 writer and prints the
// seconds it took (module loading excluded).
const XLSX = require('xlsx');

const out = process.argv[2];
const rows = Number(process.argv[3]);
const start = process.hrtime.bigint();
const data = [];
for (let i = 0; i < rows; ++i) data.push([i * 1e-4, 1e-9 + (i % 977) * 3.1e-9]);
const book = XLSX.utils.book_new();
XLSX.utils.book_append_sheet(book, XLSX.utils.aoa_to_sheet(data), 'Current');
XLSX.writeFile(book, out, { bookType: 'biff8' });
console.log(Number(process.hrtime.bigint() - start) / 1e9);

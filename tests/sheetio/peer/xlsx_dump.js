// Prints every sheet of the given workbooks as JSON, read by the xlsx package.
const XLSX = require('xlsx');

const result = {};
for (const path of process.argv.slice(2)) {
  const book = XLSX.readFile(path);
  result[path] = book.SheetNames.map((name) => {
    const sheet = book.Sheets[name];
    const range = XLSX.utils.decode_range(sheet['!ref'] || 'A1:A1');
    const rows = range.e.r + 1;
    const cols = range.e.c + 1;
    const cells = [];
    for (let r = 0; r < rows; ++r) {
      const row = [];
      for (let c = 0; c < cols; ++c) {
        const cell = sheet[XLSX.utils.encode_cell({ r, c })];
        if (!cell || cell.t === 'z') row.push('');
        else if (cell.t === 'n') row.push('n' + String(cell.v));
        else if (cell.t === 's') row.push('s' + cell.v);
        else if (cell.t === 'b') row.push('b' + (cell.v ? 1 : 0));
        else if (cell.t === 'e') row.push('e' + String(cell.v));
        else row.push('?' + String(cell.v));
      }
      cells.push(row);
    }
    const merged = (sheet['!merges'] || []).map((m) => [m.s.r, m.e.r, m.s.c, m.e.c]);
    return { name, rows, cols, cells, merged };
  });
}
process.stdout.write(JSON.stringify(result));

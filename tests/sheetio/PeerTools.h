#pragma once

#include "lumora/sheetio/ExcelDocument.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// Runs the outside readers and writers of the workbook peer tests and compares what they see.
namespace sheetiotest {

struct ProcessResult {
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
ProcessResult Run(const QString& program, const QStringList& args, int timeoutMs,
                  const QStringList& extraEnv = {});

// {path: [{name, rows, cols, cells: [["n<number>" | "s<text>" | "b<0|1>" | "e<error code>" | ""]],
//          merged: [[r1, r2, c1, c2]]}]}
bool DumpWithXlrd(const QStringList& files, QJsonObject& out, std::string& error);
bool DumpWithXlsx(const QStringList& files, QJsonObject& out, std::string& error);
// {path: {stream name: {size, md5}}}, as olefile reads the compound documents with every defect it
// sees taken as an error.
bool DumpWithOlefile(const QStringList& files, QJsonObject& out, std::string& error);
bool WriteWithXlsx(const QString& fixtureJson, const QString& out, std::string& error);
// Converts each file with one LibreOffice run into outDir; 'format' like "csv:..." or "xls:MS Excel 97".
bool ConvertWithLibreOffice(const QStringList& files, const QString& format, const QString& outDir,
                            const QString& profileDir, std::string& error);

// A cell as the peers print it: "n" + shortest round-trip number, "s" + text, "b" + 0 or 1,
// "e" + error code, "" for empty.
std::string CellText(const ExcelCell* cell);
std::vector<std::vector<std::string>> SheetTexts(const ExcelSheet& sheet);

// Compares a peer's sheet with ours; an empty string when they agree, else the first differences.
std::string CompareSheet(const QJsonObject& peerSheet, const ExcelSheet& sheet, bool withMerges);

// Compares LibreOffice's CSV of a sheet with ours: numbers as LibreOffice rounds them.
std::string CompareCsv(const std::vector<std::vector<std::string>>& csv, const ExcelSheet& sheet);

// Rows of a UTF-8 CSV file with '"' quoting.
std::vector<std::vector<std::string>> ReadCsv(const QString& path);

// The numbers LibreOffice's CSV export may give for v: at most 15 significant digits and 20
// decimals, the 15th digit rounded from the exact value or from its shortest decimal form.
std::vector<std::string> LibreOfficeDigits(double v);
std::string Shortest(double v);

} // namespace sheetiotest

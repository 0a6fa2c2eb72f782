#include "PeerTools.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace sheetiotest {

namespace {

QString PeerScript(const char* name) {
    return QStringLiteral(LUMORA_SOURCE_DIR "/tests/sheetio/peer/") + name;
}
QString NodeModules() {
    return QStringLiteral(LUMORA_SOURCE_DIR "/tests/peer/node_modules");
}

bool Dump(const QString& program, const QStringList& args, const QStringList& env, QJsonObject& out,
          std::string& error) {
    const ProcessResult r = Run(program, args, 120000, env);
    if (!r.finished || r.exitCode != 0) {
        error =
            program.toStdString() + " failed (" + std::to_string(r.exitCode) + "): " + r.err.toStdString();
        return false;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &parse);
    if (!doc.isObject()) {
        error = "unreadable output of " + program.toStdString() + ": " + parse.errorString().toStdString();
        return false;
    }
    out = doc.object();
    return true;
}

} // namespace

ProcessResult Run(const QString& program, const QStringList& args, int timeoutMs,
                  const QStringList& extraEnv) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& pair : extraEnv)
        env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    process.setProcessEnvironment(env);
    process.start(program, args);
    ProcessResult result;
    if (!process.waitForStarted(60000)) {
        result.err = "could not start " + program.toUtf8();
        return result;
    }
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
        result.err = "timed out: " + program.toUtf8();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

bool DumpWithXlrd(const QStringList& files, QJsonObject& out, std::string& error) {
    return Dump("/usr/bin/python3", QStringList{PeerScript("xlrd_dump.py")} + files, {}, out, error);
}

bool DumpWithOlefile(const QStringList& files, QJsonObject& out, std::string& error) {
    return Dump("/usr/bin/python3", QStringList{PeerScript("ole_dump.py")} + files, {}, out, error);
}

bool DumpWithXlsx(const QStringList& files, QJsonObject& out, std::string& error) {
    if (!QFile::exists(NodeModules() + "/xlsx")) {
        error = "the xlsx package is missing: run scripts/deps.sh";
        return false;
    }
    return Dump("node", QStringList{PeerScript("xlsx_dump.js")} + files, {"NODE_PATH=" + NodeModules()}, out,
                error);
}

bool WriteWithXlsx(const QString& fixtureJson, const QString& out, std::string& error) {
    if (!QFile::exists(NodeModules() + "/xlsx")) {
        error = "the xlsx package is missing: run scripts/deps.sh";
        return false;
    }
    const ProcessResult r =
        Run("node", {PeerScript("xlsx_write.js"), fixtureJson, out}, 120000, {"NODE_PATH=" + NodeModules()});
    if (!r.finished || r.exitCode != 0 || !QFile::exists(out)) {
        error = "xlsx writer failed: " + r.err.toStdString();
        return false;
    }
    return true;
}

bool ConvertWithLibreOffice(const QStringList& files, const QString& format, const QString& outDir,
                            const QString& profileDir, std::string& error) {
    const QStringList args =
        QStringList{"--headless",   "--norestore", "-env:UserInstallation=file://" + profileDir,
                    "--convert-to", format,        "--outdir",
                    outDir} +
        files;
    const ProcessResult r = Run("soffice", args, 240000);
    if (!r.finished || r.exitCode != 0) {
        error = "soffice failed: " + r.err.toStdString() + r.out.toStdString();
        return false;
    }
    return true;
}

std::string Shortest(double v) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    return std::string(buffer, end);
}

namespace {

double RoundToDecimals(double v, int decimals) {
    char buffer[400];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals).ptr;
    double rounded = 0;
    std::from_chars(buffer, end, rounded);
    return rounded;
}

// v at 15 significant digits, rounded half up from its shortest decimal form.
double FifteenFromDecimal(double v) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific).ptr;
    std::string text(buffer, end);
    const size_t e = text.find('e');
    const size_t first = text[0] == '-' ? 1 : 0;
    std::string digits = text.substr(first, 1) + (e > first + 2 ? text.substr(first + 2, e - first - 2) : "");
    if (digits.size() <= 15)
        return v;
    const bool up = digits[15] >= '5';
    digits.resize(15);
    int exponent = std::stoi(text.substr(e + 1));
    if (up) {
        int i = 14;
        while (i >= 0 && digits[static_cast<size_t>(i)] == '9')
            digits[static_cast<size_t>(i--)] = '0';
        if (i < 0) {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent;
        } else {
            ++digits[static_cast<size_t>(i)];
        }
    }
    const std::string rounded =
        text.substr(0, first) + digits.substr(0, 1) + "." + digits.substr(1) + "e" + std::to_string(exponent);
    double out = 0;
    std::from_chars(rounded.data(), rounded.data() + rounded.size(), out);
    return out;
}

} // namespace

std::vector<std::string> LibreOfficeDigits(double v) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 15).ptr;
    double exact = 0;
    std::from_chars(buffer, end, exact);
    return {Shortest(RoundToDecimals(exact, 20)), Shortest(RoundToDecimals(FifteenFromDecimal(v), 20))};
}

std::string CellText(const ExcelCell* cell) {
    if (!cell)
        return "";
    switch (cell->type) {
    case ExcelCell::eInt:
    case ExcelCell::eDouble:
        return "n" + Shortest(cell->GetDouble());
    case ExcelCell::eString:
        return "s" + QString::fromLatin1(cell->GetString() ? cell->GetString() : "").toStdString();
    case ExcelCell::eWString:
        return "s" + QString::fromUtf16(cell->GetWString() ? cell->GetWString() : u"").toStdString();
    case ExcelCell::eBool:
        return "b" + std::to_string(cell->ival);
    case ExcelCell::eError:
        return "e" + std::to_string(cell->ival);
    case ExcelCell::eFormula:
        if (cell->GetFormula() && cell->GetFormula()->HasNumericResult())
            return "n" + Shortest(cell->GetDouble());
        return "s" + QString::fromUtf16(cell->GetWString()).toStdString();
    default:
        return "";
    }
}

std::vector<std::vector<std::string>> SheetTexts(const ExcelSheet& sheet) {
    std::vector<std::vector<std::string>> rows(static_cast<size_t>(sheet.GetTotalRows()));
    for (int r = 0; r < sheet.GetTotalRows(); ++r)
        for (int c = 0; c < sheet.GetTotalCols(); ++c)
            rows[static_cast<size_t>(r)].push_back(CellText(sheet.CellAt(r, c)));
    return rows;
}

// Numbers compare as doubles: the peer's shortest text is parsed back.
static bool SameCell(const std::string& peer, const std::string& ours) {
    if (peer == ours)
        return true;
    if (peer.size() > 1 && ours.size() > 1 && peer[0] == 'n' && ours[0] == 'n') {
        double a = 0, b = 0;
        std::from_chars(peer.data() + 1, peer.data() + peer.size(), a);
        std::from_chars(ours.data() + 1, ours.data() + ours.size(), b);
        return a == b;
    }
    return false;
}

std::string CompareSheet(const QJsonObject& peerSheet, const ExcelSheet& sheet, bool withMerges) {
    std::string report;
    const auto expected = SheetTexts(sheet);
    const QJsonArray rows = peerSheet["cells"].toArray();
    if (peerSheet["rows"].toInt() != sheet.GetTotalRows() ||
        peerSheet["cols"].toInt() != sheet.GetTotalCols())
        report += "size " + std::to_string(peerSheet["rows"].toInt()) + "x" +
                  std::to_string(peerSheet["cols"].toInt()) + " instead of " +
                  std::to_string(sheet.GetTotalRows()) + "x" + std::to_string(sheet.GetTotalCols()) + "\n";
    int differences = 0;
    for (size_t r = 0; r < expected.size(); ++r) {
        const QJsonArray row =
            r < static_cast<size_t>(rows.size()) ? rows[static_cast<int>(r)].toArray() : QJsonArray();
        for (size_t c = 0; c < expected[r].size(); ++c) {
            const std::string peer =
                c < static_cast<size_t>(row.size()) ? row[static_cast<int>(c)].toString().toStdString() : "";
            if (!SameCell(peer, expected[r][c]) && ++differences <= 5)
                report += "cell (" + std::to_string(r) + "," + std::to_string(c) + "): peer '" +
                          peer.substr(0, 60) + "' ours '" + expected[r][c].substr(0, 60) + "'\n";
        }
    }
    if (differences > 5)
        report += std::to_string(differences) + " cells differ\n";
    if (withMerges) {
        std::vector<std::array<int, 4>> ours, theirs;
        for (int r = 0; r < sheet.GetTotalRows(); ++r)
            for (int c = 0; c < sheet.GetTotalCols(); ++c) {
                const ExcelCell* cell = sheet.CellAt(r, c);
                if (cell->mergedRows > 1 || cell->mergedColumns > 1)
                    ours.push_back({r, r + cell->mergedRows - 1, c, c + cell->mergedColumns - 1});
            }
        for (const QJsonValue& m : peerSheet["merged"].toArray()) {
            const QJsonArray a = m.toArray();
            theirs.push_back({a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()});
        }
        std::sort(ours.begin(), ours.end());
        std::sort(theirs.begin(), theirs.end());
        if (ours != theirs)
            report += "merged ranges differ: peer has " + std::to_string(theirs.size()) + ", ours " +
                      std::to_string(ours.size()) + "\n";
    }
    return report;
}

std::string CompareCsv(const std::vector<std::vector<std::string>>& csv, const ExcelSheet& sheet) {
    std::string report;
    int differences = 0;
    const auto expected = SheetTexts(sheet);
    const size_t rows = std::max(csv.size(), expected.size());
    for (size_t r = 0; r < rows; ++r) {
        const size_t cols =
            std::max(r < csv.size() ? csv[r].size() : 0, r < expected.size() ? expected[r].size() : 0);
        for (size_t c = 0; c < cols; ++c) {
            const std::string peer = r < csv.size() && c < csv[r].size() ? csv[r][c] : "";
            const std::string ours = r < expected.size() && c < expected[r].size() ? expected[r][c] : "";
            bool same;
            if (!ours.empty() && ours[0] == 'n') {
                double ourValue = 0;
                std::from_chars(ours.data() + 1, ours.data() + ours.size(), ourValue);
                double peerValue = 0;
                const auto [end, ec] = std::from_chars(peer.data(), peer.data() + peer.size(), peerValue);
                const auto allowed = LibreOfficeDigits(ourValue);
                same = !peer.empty() && ec == std::errc() && end == peer.data() + peer.size() &&
                       std::find(allowed.begin(), allowed.end(), Shortest(peerValue)) != allowed.end();
            } else {
                same = peer == (ours.empty() ? "" : ours.substr(1));
            }
            if (!same && ++differences <= 5)
                report += "csv cell (" + std::to_string(r) + "," + std::to_string(c) + "): peer '" +
                          peer.substr(0, 60) + "' ours '" + ours.substr(0, 60) + "'\n";
        }
    }
    if (differences > 5)
        report += std::to_string(differences) + " cells differ\n";
    return report;
}

std::vector<std::vector<std::string>> ReadCsv(const QString& path) {
    QFile file(path);
    std::vector<std::vector<std::string>> rows;
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    const std::string text = file.readAll().toStdString();
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (quoted) {
            if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (ch == '"')
                quoted = false;
            else
                field += ch;
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == ',') {
            row.push_back(field);
            field.clear();
        } else if (ch == '\n') {
            row.push_back(field);
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
        } else if (ch != '\r') {
            field += ch;
        }
    }
    if (!field.empty() || !row.empty()) {
        row.push_back(field);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace sheetiotest

#include "FuzzInputFile.h"
#include "lumora/core/DataImport.h"
#include "platform/ParseNumber.h"

#include <cmath>
#include <cstdlib>

namespace {

void CheckColumn(const CImportColumn& times, const CImportColumn& values) {
    if (times.size() != values.size())
        std::abort();
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (!std::isfinite(times[i]) || !std::isfinite(values[i]))
            std::abort();
    }
}

} // namespace

// The text import on any file: the two-column reader with and without header names, the data-logging
// page's table of several columns, and the header line the view reads. Every value kept is a finite
// number and the columns stay paired.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const QString path = fuzzcore::WriteInput(data, size);
    CImportColumn x, y;
    SImportControl control;
    if (ParseColumnsFromText(x, path, u',', QStringLiteral("Time"), QStringLiteral("Current"), y, control) ==
        kImportOk)
        CheckColumn(x, y);
    if (ParseColumnsFromText(x, path, u'\t', QString(), QString(), y, control) == kImportOk)
        CheckColumn(x, y);
    std::vector<STextColumn> columns;
    const auto choose = [](const QString& header, std::vector<STextColumn>& chosen) {
        QStringList fields;
        SplitByChar(fields, header, u',');
        chosen.resize(3);
        chosen[0].field = 1;
        chosen[1].field = static_cast<int>(fields.size()) + 1;
        chosen[2].field = -1;
        return true;
    };
    if (ParseTextTable(path, u',', choose, columns, control) == kImportOk) {
        for (const STextColumn& column : columns)
            CheckColumn(column.times, column.values);
        if (!columns[2].values.empty())
            std::abort();
    }
    QString header;
    ReadTextHeaderLine(path, header);
    double factor = 0.0;
    GetUnitScale(header, factor);
    double value = 0.0;
    const char* text = reinterpret_cast<const char*>(data);
    const char* end = platform::ParseNumberPrefix(text, text + size, value);
    if (end != nullptr && (end > text + size || !std::isfinite(value)))
        std::abort();
    return 0;
}

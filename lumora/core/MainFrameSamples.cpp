// The frame's sample helpers: reply parsing, shown count, automatic file name.
#include "lumora/core/MainFrame.h"

#include "platform/LocalTime.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstring>

unsigned CMainFrame::ParseDataString(const QString& text, std::vector<double>& values,
                                     std::vector<double>& times) {
    const qsizetype commas = text.count(u',');
    if ((commas + 1) % 2 != 0)
        return 0;
    const auto n = static_cast<unsigned>((commas + 1) / 2);
    values.resize(n);
    times.resize(n);
    qsizetype from = 0;
    for (unsigned field = 0; field < 2 * n; ++field) {
        qsizetype to = text.indexOf(u',', from);
        if (to < 0)
            to = text.size();
        const double value = platform::WToF(text.mid(from, to - from));
        (field % 2 == 0 ? values : times)[field / 2] = value;
        from = to + 1;
    }
    return n;
}

unsigned CMainFrame::ReadSampleBlock(const char* buffer, unsigned size, std::vector<double>& values,
                                     std::vector<double>& times) {
    // A reply shorter than its prefix holds no samples.
    const unsigned n = size < 2 ? 0 : (size - 2) / 16;
    values.resize(n);
    times.resize(n);
    for (unsigned i = 0; i < n; ++i) {
        std::memcpy(&values[i], buffer + 2 + 16 * std::size_t(i), sizeof(double));
        std::memcpy(&times[i], buffer + 10 + 16 * std::size_t(i), sizeof(double));
    }
    return n;
}

unsigned CMainFrame::ShownCount(const std::vector<double>& times, unsigned n, double triggerTimeout) {
    for (unsigned k = n; k-- > 0;) {
        if (times[k] <= triggerTimeout)
            return std::min(k + 2, n);
    }
    return std::min(2u, n);
}

QString CMainFrame::AutoSavePath(const QString& folder, std::time_t when) {
    QString path = platform::NormalizePath(folder);
    if (!path.isEmpty() && !path.endsWith(u'/'))
        path += u'/';
    return path + platform::FormatTime(when, QStringLiteral("%Y-%m-%d_%H-%M-%S")) +
           QStringLiteral("_AutoSave.csv");
}

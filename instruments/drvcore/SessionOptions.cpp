#include "instruments/drvcore/SessionOptions.h"

#include "lumora/core/ParameterInstru.h"
#include "platform/ParseNumber.h"

#include <algorithm>
#include <array>
#include <utility>

namespace drvcore {

namespace {

// Decodes \n and \r; every other escape, and every character but CR and LF, makes the text no line end.
bool DecodeEscapes(const std::string& text, std::string& decoded) {
    decoded.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\') {
            if (++i == text.size())
                return false;
            c = text[i] == 'n' ? '\n' : text[i] == 'r' ? '\r' : '\0';
        }
        if (c != '\n' && c != '\r')
            return false;
        decoded += c;
    }
    return !decoded.empty();
}

bool DecodeTermination(const QString& text, std::string& termination) {
    QString name = text;
    while (name.startsWith(u' '))
        name.remove(0, 1);
    while (name.endsWith(u' '))
        name.chop(1);
    if (name.isEmpty()) {
        termination = "\n";
        return true;
    }
    static const std::array<std::pair<const char*, const char*>, 3> kNames{
        {{"LF", "\n"}, {"CR", "\r"}, {"CRLF", "\r\n"}}};
    for (const auto& [label, value] : kNames) {
        if (name.compare(QLatin1String(label), Qt::CaseInsensitive) == 0) {
            termination = value;
            return true;
        }
    }
    return DecodeEscapes(name.toStdString(), termination);
}
} // namespace

int TimeoutFromRecord(const CParameterInstru& record) {
    const auto timeout = platform::ReadStrictInt(record.Timeout);
    return timeout && timeout.value > 0 ? std::min(timeout.value, kMaxTimeoutMs) : kDefaultTimeoutMs;
}

bool SSessionOptions::FromRecord(const CParameterInstru& record, SSessionOptions& options,
                                 std::string& error) {
    options = SSessionOptions{};
    options.timeoutMs = TimeoutFromRecord(record);
    if (!DecodeTermination(record.EndOfLine, options.termination)) {
        options.termination = "\n";
        error = "unknown EndOfLine \"" + record.EndOfLine.toStdString() +
                "\": use LF, CR, CRLF or the escapes \\n and \\r";
        return false;
    }
    return true;
}

} // namespace drvcore

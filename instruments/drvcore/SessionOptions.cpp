#include "instruments/drvcore/SessionOptions.h"

#include "lumora/core/ParameterInstru.h"

namespace drvcore {

namespace {
constexpr int kDefaultTimeoutMs = 30000;

std::string DecodeTermination(const QString& text) {
    const std::string raw = text.toStdString();
    std::string decoded;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            const char next = raw[++i];
            switch (next) {
            case 'n':
                decoded += '\n';
                break;
            case 'r':
                decoded += '\r';
                break;
            case 't':
                decoded += '\t';
                break;
            default:
                decoded += next;
                break;
            }
        } else {
            decoded += raw[i];
        }
    }
    return decoded.empty() ? std::string("\n") : decoded;
}
} // namespace

SSessionOptions SSessionOptions::FromRecord(const CParameterInstru& record) {
    SSessionOptions options;
    bool ok = false;
    const int timeout = record.Timeout.trimmed().toInt(&ok);
    options.timeoutMs = ok && timeout > 0 ? timeout : kDefaultTimeoutMs;
    options.termination = DecodeTermination(record.EndOfLine);
    return options;
}

} // namespace drvcore

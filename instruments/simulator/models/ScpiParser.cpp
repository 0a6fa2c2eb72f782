#include "ScpiParser.h"

#include <cctype>
#include <charconv>

namespace benchsim {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || (c >= 0 && c < ' ' && c != '\n');
}
bool IsMnemonicChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '_';
}
// Characters that no element of a message may hold: -101; anything else out of place is -102.
int Misplaced(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u < ' ' || u > '~' || c == '@' || c == '!' || c == '$' || c == '%' || c == '&' || c == '\\' ||
            c == '^' || c == '`' || c == '~' || c == '|')
               ? -101
               : -102;
}

void SkipSpace(const std::string& text, std::size_t& at) {
    while (at < text.size() && IsSpace(text[at]))
        ++at;
}

int NonDecimalBase(char c) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'H':
        return 16;
    case 'Q':
        return 8;
    case 'B':
        return 2;
    default:
        return 0;
    }
}

} // namespace

bool CScpiParser::ReadDecimal(const std::string& text, std::size_t& at, SScpiData& data) {
    std::string number;
    std::size_t i = at;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            number += '-';
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        number += text[i++];
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && IsDigit(text[i])) {
            number += text[i++];
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    // An exponent, possibly after white space; white space and letters that are no exponent start a unit.
    std::size_t e = i;
    SkipSpace(text, e);
    if (e < text.size() && (text[e] == 'E' || text[e] == 'e')) {
        std::size_t x = e + 1;
        SkipSpace(text, x);
        std::string exponent = "e";
        if (x < text.size() && (text[x] == '+' || text[x] == '-'))
            exponent += text[x++];
        const std::size_t first = x;
        while (x < text.size() && IsDigit(text[x]))
            exponent += text[x++];
        if (x > first) {
            number += exponent;
            i = x;
        }
    }
    std::size_t u = i;
    SkipSpace(text, u);
    if (u < text.size() && IsLetter(text[u])) {
        while (u < text.size() && (IsLetter(text[u]) || text[u] == '/'))
            data.suffix += static_cast<char>(std::toupper(static_cast<unsigned char>(text[u++])));
        i = u;
    }
    data.type = SScpiData::eType::Decimal;
    data.text = number;
    const auto [end, status] = std::from_chars(number.data(), number.data() + number.size(), data.number);
    data.overflow = status != std::errc() || end != number.data() + number.size();
    at = i;
    return true;
}

bool CScpiParser::ReadData(const std::string& text, std::size_t& at, SScpiData& data, int& error) {
    const char c = text[at];
    if (c == '"' || c == '\'') {
        data.type = SScpiData::eType::String;
        for (std::size_t i = at + 1; i < text.size(); ++i) {
            if (text[i] != c) {
                data.text += text[i];
            } else if (i + 1 < text.size() && text[i + 1] == c) {
                data.text += c;
                ++i;
            } else {
                at = i + 1;
                return true;
            }
        }
        error = -102;
        return false;
    }
    if (c == '#') {
        if (at + 1 < text.size() && NonDecimalBase(text[at + 1]) != 0) {
            const int base = NonDecimalBase(text[at + 1]);
            std::size_t i = at + 2;
            unsigned long long value = 0;
            std::size_t digits = 0;
            for (; i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])); ++i, ++digits) {
                const int digit = IsDigit(text[i])
                                      ? text[i] - '0'
                                      : std::toupper(static_cast<unsigned char>(text[i])) - 'A' + 10;
                if (digit >= base || value > (1ULL << 52)) {
                    error = -102;
                    return false;
                }
                value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
            }
            if (digits == 0) {
                error = -102;
                return false;
            }
            data.type = SScpiData::eType::NonDecimal;
            data.text = text.substr(at, i - at);
            data.number = static_cast<double>(value);
            at = i;
            return true;
        }
        if (at + 1 < text.size() && IsDigit(text[at + 1])) {
            data.type = SScpiData::eType::Block;
            const std::size_t width = static_cast<std::size_t>(text[at + 1] - '0');
            if (width == 0) {
                data.text = text.substr(at + 2);
                at = text.size();
                return true;
            }
            std::size_t length = 0;
            const std::size_t digitsAt = at + 2;
            if (digitsAt + width > text.size()) {
                error = -102;
                return false;
            }
            for (std::size_t i = digitsAt; i < digitsAt + width; ++i) {
                if (!IsDigit(text[i])) {
                    error = -102;
                    return false;
                }
                length = length * 10 + static_cast<std::size_t>(text[i] - '0');
            }
            if (length > text.size() - (digitsAt + width)) {
                error = -102;
                return false;
            }
            data.text = text.substr(digitsAt + width, length);
            at = digitsAt + width + length;
            return true;
        }
        error = -102;
        return false;
    }
    if (IsDigit(c) || c == '+' || c == '-' || c == '.') {
        if (ReadDecimal(text, at, data))
            return true;
        error = -102;
        return false;
    }
    if (IsLetter(c)) {
        data.type = SScpiData::eType::Characters;
        std::size_t i = at;
        while (i < text.size() && IsMnemonicChar(text[i]))
            ++i;
        data.text = text.substr(at, i - at);
        at = i;
        return true;
    }
    error = Misplaced(c);
    return false;
}

CScpiParser::eResult CScpiParser::Next(SProgramMessage& message, SUnit& unit, int& error) {
    const std::string& text = message.text;
    std::size_t& at = message.at;
    unit = SUnit();
    auto fail = [&](int code) {
        error = code;
        at = text.size();
        return eResult::Error;
    };
    // Empty units (";;", a trailing ';') are passed over.
    for (;;) {
        SkipSpace(text, at);
        if (at >= text.size())
            return eResult::End;
        if (text[at] != ';')
            break;
        ++at;
    }
    const std::size_t start = at;
    while (at < text.size() && !IsSpace(text[at]) && text[at] != ';')
        ++at;
    std::string header = text.substr(start, at - start);
    if (header.back() == '?') {
        unit.query = true;
        header.pop_back();
    }
    if (header.empty())
        return fail(-102);
    if (header[0] == '*') {
        if (header.size() < 2)
            return fail(-102);
        for (std::size_t i = 1; i < header.size(); ++i)
            if (!IsLetter(header[i]))
                return fail(Misplaced(header[i]) == -101 ? -101 : -102);
        unit.header.push_back(header);
    } else {
        const bool absolute = header[0] == ':';
        std::vector<std::string> nodes;
        std::string node;
        for (std::size_t i = absolute ? 1 : 0; i <= header.size(); ++i) {
            if (i == header.size() || header[i] == ':') {
                if (node.empty() || !IsLetter(node[0]))
                    return fail(-102);
                nodes.push_back(node);
                node.clear();
            } else if (IsMnemonicChar(header[i])) {
                node += header[i];
            } else {
                return fail(Misplaced(header[i]));
            }
        }
        if (!absolute && !message.path.empty()) {
            std::size_t from = 0;
            for (std::size_t colon; (colon = message.path.find(':', from)) != std::string::npos;
                 from = colon + 1)
                unit.header.push_back(message.path.substr(from, colon - from));
            unit.header.push_back(message.path.substr(from));
        }
        unit.header.insert(unit.header.end(), nodes.begin(), nodes.end());
        message.path.clear();
        for (std::size_t i = 0; i + 1 < unit.header.size(); ++i)
            message.path += (i ? ":" : "") + unit.header[i];
    }
    SkipSpace(text, at);
    while (at < text.size() && text[at] != ';') {
        SScpiData data;
        if (!ReadData(text, at, data, error)) {
            at = text.size();
            return eResult::Error;
        }
        unit.data.push_back(std::move(data));
        SkipSpace(text, at);
        if (at >= text.size() || text[at] == ';')
            break;
        if (text[at] != ',')
            return fail(Misplaced(text[at]));
        ++at;
        SkipSpace(text, at);
        if (at >= text.size() || text[at] == ';' || text[at] == ',')
            return fail(-102);
    }
    if (at < text.size())
        ++at; // the ';'
    return eResult::Unit;
}

} // namespace benchsim

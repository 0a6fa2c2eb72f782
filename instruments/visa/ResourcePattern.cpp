#include "instruments/visa/ResourcePattern.h"

#include <cstring>

namespace visa {

namespace {

void AppendLiteral(std::string& out, char c) {
    if (std::strchr("^$\\.*+?()[]{}|/", c) != nullptr)
        out += '\\';
    out += c;
}

// Translates the VISA expression to an ECMAScript one; false when it is malformed.
bool Translate(const std::string& expression, std::string& out) {
    int depth = 0;
    for (size_t i = 0; i < expression.size(); ++i) {
        const char c = expression[i];
        switch (c) {
        case '?':
            out += '.';
            break;
        case '*':
        case '+':
            if (out.empty() || out.back() == '(' || out.back() == '|')
                return false;
            out += c;
            break;
        case '\\':
            if (++i == expression.size())
                return false;
            AppendLiteral(out, expression[i]);
            break;
        case '[': {
            const size_t close = expression.find(']', i + 2);
            if (close == std::string::npos)
                return false;
            out += '[';
            size_t at = i + 1;
            if (expression[at] == '^')
                out += expression[at++];
            for (; at < close; ++at) {
                if (expression[at] == '\\' || expression[at] == '[')
                    out += '\\';
                out += expression[at];
            }
            out += ']';
            i = close;
            break;
        }
        case '(':
            ++depth;
            out += c;
            break;
        case ')':
            if (--depth < 0)
                return false;
            out += c;
            break;
        case '|':
            out += c;
            break;
        default:
            AppendLiteral(out, c);
            break;
        }
    }
    return depth == 0;
}

} // namespace

bool CResourcePattern::Compile(const std::string& expression) {
    m_valid = false;
    std::string translated;
    if (expression.empty() || !Translate(expression, translated))
        return false;
    try {
        m_regex = std::regex(translated, std::regex::ECMAScript | std::regex::icase);
    } catch (const std::regex_error&) {
        return false;
    }
    m_valid = true;
    return true;
}

bool CResourcePattern::Matches(const std::string& name) const {
    return m_valid && std::regex_match(name, m_regex);
}

} // namespace visa

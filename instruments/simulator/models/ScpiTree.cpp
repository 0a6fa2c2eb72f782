#include "ScpiTree.h"

#include <cctype>
#include <cmath>
#include <sstream>

namespace benchsim {
namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);)
        parts.push_back(part);
    return parts;
}

// The word 'written' is one of the alternatives "RISing|FALLing": its short form, or empty.
std::string MatchWord(const char* forms, const std::string& written) {
    const std::string word = Upper(written);
    for (const std::string& form : Split(forms, '|')) {
        std::string shortForm;
        for (char c : form) {
            if (!std::isupper(static_cast<unsigned char>(c)) && !IsDigit(c))
                break;
            shortForm += c;
        }
        if (word == shortForm || word == Upper(form))
            return shortForm;
    }
    return {};
}

struct SPrefix {
    const char* name;
    double factor;
};
const SPrefix PREFIXES[] = {{"", 1.0}, {"N", 1e-9}, {"U", 1e-6}, {"M", 1e-3}, {"K", 1e3}};

} // namespace

CScpiTree::SParam CScpiTree::Num(double minimum, double maximum, double byDefault, const char* unit) {
    SParam p;
    p.kind = eKind::Number;
    p.minimum = minimum;
    p.maximum = maximum;
    p.byDefault = byDefault;
    p.unit = unit;
    return p;
}

CScpiTree::SParam CScpiTree::Int(double minimum, double maximum, double byDefault) {
    SParam p = Num(minimum, maximum, byDefault);
    p.kind = eKind::Integer;
    return p;
}

CScpiTree::SParam CScpiTree::Bool() {
    SParam p;
    p.kind = eKind::Boolean;
    return p;
}

CScpiTree::SParam CScpiTree::Choice(const char* forms) {
    SParam p;
    p.kind = eKind::Choice;
    p.forms = forms;
    return p;
}

CScpiTree::SParam CScpiTree::Str(const char* forms) {
    SParam p;
    p.kind = eKind::String;
    p.forms = forms;
    return p;
}

CScpiTree::SParam CScpiTree::Any() {
    return SParam();
}

CScpiTree::SParam CScpiTree::Optional(SParam param) {
    param.optional = true;
    return param;
}

std::vector<CScpiTree::SNode> CScpiTree::ParsePattern(const std::string& pattern) {
    std::vector<SNode> nodes;
    std::size_t i = 0;
    while (i < pattern.size()) {
        SNode node;
        if (pattern[i] == '[') {
            node.optional = true;
            ++i;
        }
        if (i < pattern.size() && pattern[i] == ':')
            ++i;
        std::string mnemonic;
        while (i < pattern.size() && (IsLetter(pattern[i]) || pattern[i] == '*'))
            mnemonic += pattern[i++];
        for (char c : mnemonic) {
            if (!std::isupper(static_cast<unsigned char>(c)) && c != '*')
                break;
            node.shortForm += c;
        }
        node.longForm = Upper(mnemonic);
        if (i + 1 < pattern.size() && pattern[i] == '[' && IsDigit(pattern[i + 1])) {
            const std::size_t close = pattern.find(']', i);
            const std::string range = pattern.substr(i + 1, close - i - 1);
            const std::size_t dash = range.find('-');
            node.suffixMin = std::stoi(range.substr(0, dash));
            node.suffixMax = dash == std::string::npos ? node.suffixMin : std::stoi(range.substr(dash + 1));
            i = close + 1;
        }
        if (node.optional)
            ++i; // the closing ']'
        nodes.push_back(node);
    }
    return nodes;
}

std::string CScpiTree::KeyOf(const std::vector<SNode>& nodes) {
    std::string key;
    for (const SNode& node : nodes) {
        if (!key.empty())
            key += ':';
        key += node.shortForm;
    }
    return key;
}

void CScpiTree::Add(const char* pattern, eForm form, std::vector<SParam> set, std::vector<SParam> query) {
    SRow row;
    row.nodes = ParsePattern(pattern);
    row.key = KeyOf(row.nodes);
    row.form = form;
    // Common commands take no MINimum/MAXimum/DEFault.
    if (query.empty() && form == eForm::SetAndQuery && !set.empty() && pattern[0] != '*' &&
        (set[0].kind == eKind::Number || set[0].kind == eKind::Integer)) {
        SParam limit = set[0];
        limit.optional = true;
        limit.forms = "MINimum|MAXimum|DEFault";
        query.push_back(limit);
    }
    row.set = std::move(set);
    row.query = std::move(query);
    m_rows.push_back(std::move(row));
}

bool CScpiTree::SplitHeader(const std::vector<std::string>& header, std::vector<SHeaderNode>& nodes) {
    nodes.clear();
    for (const std::string& written : header) {
        std::size_t end = written.size();
        while (end > 0 && IsDigit(written[end - 1]))
            --end;
        if (end == 0)
            return false;
        SHeaderNode node;
        node.name = Upper(written.substr(0, end));
        if (end < written.size()) {
            const std::string digits = written.substr(end);
            node.suffix = digits.size() > 6 ? 1000000 : std::stoi(digits);
        }
        nodes.push_back(node);
    }
    return true;
}

bool CScpiTree::Match(const std::vector<SNode>& pattern, std::size_t p,
                      const std::vector<SHeaderNode>& header, std::size_t h, bool& suffixOutOfRange) {
    if (p == pattern.size())
        return h == header.size();
    const SNode& node = pattern[p];
    if (node.optional && Match(pattern, p + 1, header, h, suffixOutOfRange))
        return true;
    if (h == header.size())
        return false;
    const SHeaderNode& given = header[h];
    if (given.name != node.shortForm && given.name != node.longForm)
        return false;
    if (given.suffix >= 0 && (given.suffix < node.suffixMin || given.suffix > node.suffixMax)) {
        suffixOutOfRange = true;
        return false;
    }
    return Match(pattern, p + 1, header, h + 1, suffixOutOfRange);
}

int CScpiTree::CheckNumber(const SParam& parameter, const SScpiData& data, CScpiCommand::SValue& value) {
    switch (data.type) {
    case SScpiData::eType::Characters: {
        const std::string limit = MatchWord("MINimum|MAXimum|DEFault", data.text);
        if (limit.empty())
            return MatchWord("INFinity|NINFinity|NAN", data.text).empty() ? -104 : -224;
        value.number = limit == "MIN"   ? parameter.minimum
                       : limit == "MAX" ? parameter.maximum
                                        : parameter.byDefault;
        break;
    }
    case SScpiData::eType::NonDecimal:
        value.number = data.number;
        break;
    case SScpiData::eType::Decimal: {
        if (data.overflow)
            return -222;
        value.number = data.number;
        if (!data.suffix.empty()) {
            if (parameter.unit == nullptr)
                return -138;
            const std::string unit = Upper(parameter.unit);
            bool known = false;
            for (const SPrefix& prefix : PREFIXES) {
                if (data.suffix == prefix.name + unit) {
                    value.number *= prefix.factor;
                    known = true;
                    break;
                }
            }
            if (!known)
                return -131;
        }
        break;
    }
    default:
        return -104;
    }
    if (!std::isfinite(value.number))
        return -224;
    if (parameter.kind == eKind::Integer && value.number != std::floor(value.number))
        return -224;
    if (value.number < parameter.minimum || value.number > parameter.maximum)
        return -222;
    value.isNumber = true;
    return 0;
}

int CScpiTree::CheckParameter(const SParam& parameter, const SScpiData& data, CScpiCommand::SValue& value) {
    value.text = data.text;
    switch (parameter.kind) {
    case eKind::Number:
    case eKind::Integer:
        if (parameter.forms != nullptr) {
            // A query's MINimum/MAXimum/DEFault: only those words.
            if (data.type != SScpiData::eType::Characters)
                return -104;
            if (MatchWord(parameter.forms, data.text).empty())
                return -224;
        }
        return CheckNumber(parameter, data, value);
    case eKind::Boolean:
        if (data.type == SScpiData::eType::Characters) {
            const std::string word = MatchWord("ON|OFF", data.text);
            if (word.empty())
                return -224;
            value.number = word == "ON" ? 1.0 : 0.0;
        } else if (data.type == SScpiData::eType::Decimal && data.suffix.empty() && !data.overflow) {
            if (data.number != 0.0 && data.number != 1.0)
                return -224;
            value.number = data.number;
        } else {
            return -104;
        }
        value.isNumber = true;
        return 0;
    case eKind::Choice:
        if (data.type != SScpiData::eType::Characters)
            return -104;
        value.text = MatchWord(parameter.forms, data.text);
        return value.text.empty() ? -224 : 0;
    case eKind::String: {
        if (data.type != SScpiData::eType::String)
            return -104;
        if (parameter.forms == nullptr)
            return 0;
        std::vector<SHeaderNode> written;
        bool suffixOutOfRange = false;
        std::string content = data.text;
        if (!content.empty() && content.front() == ':')
            content.erase(0, 1);
        if (!SplitHeader(Split(content, ':'), written))
            return -224;
        for (const std::string& form : Split(parameter.forms, '|')) {
            const std::vector<SNode> nodes = ParsePattern(form);
            if (Match(nodes, 0, written, 0, suffixOutOfRange)) {
                value.text = KeyOf(nodes);
                return 0;
            }
        }
        return -224;
    }
    case eKind::Any:
        if (data.type == SScpiData::eType::Decimal || data.type == SScpiData::eType::NonDecimal) {
            if (data.overflow || !data.suffix.empty())
                return data.overflow ? -222 : -138;
            value.number = data.number;
            value.isNumber = true;
        }
        return 0;
    }
    return -104;
}

int CScpiTree::Resolve(const std::vector<std::string>& header, bool query, const std::vector<SScpiData>& data,
                       CScpiCommand& command) const {
    std::vector<SHeaderNode> nodes;
    if (!SplitHeader(header, nodes))
        return -113;
    bool suffixOutOfRange = false;
    for (const SRow& row : m_rows) {
        if (!Match(row.nodes, 0, nodes, 0, suffixOutOfRange))
            continue;
        if ((query && row.form == eForm::SetOnly) || (!query && row.form == eForm::QueryOnly))
            return -113;
        const std::vector<SParam>& specs = query ? row.query : row.set;
        if (data.size() > specs.size())
            return -108;
        std::vector<CScpiCommand::SValue> values(data.size());
        for (std::size_t i = 0; i < specs.size(); ++i) {
            if (i >= data.size()) {
                if (!specs[i].optional)
                    return -109;
                continue;
            }
            if (const int error = CheckParameter(specs[i], data[i], values[i]))
                return error;
        }
        command = CScpiCommand(row.key, query, std::move(values));
        return 0;
    }
    return suffixOutOfRange ? -114 : -113;
}

} // namespace benchsim

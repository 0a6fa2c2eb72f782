#include "ScpiCommand.h"

#include "platform/Numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>

namespace benchsim {
namespace {

// Long forms of the mnemonics the two models know; every other mnemonic is kept as written.
const std::map<std::string, std::string>& LongForms() {
    static const std::map<std::string, std::string> forms = {
        {"ABORT", "ABOR"},      {"ACTUAL", "ACT"},     {"ATRIGGER", "ATR"},    {"AZERO", "AZER"},
        {"BORDER", "BORD"},     {"CLEAR", "CLE"},      {"CONCURRENT", "CONC"}, {"CONTINUOUS", "CONT"},
        {"CONTROL", "CONT"},    {"COUNT", "COUN"},     {"CURRENT", "CURR"},    {"ELEMENTS", "ELEM"},
        {"ENABLE", "ENAB"},     {"ERROR", "ERR"},      {"EVENT", "EVEN"},      {"FETCH", "FETC"},
        {"FORMAT", "FORM"},     {"FUNCTION", "FUNC"},  {"IMMEDIATE", "IMM"},   {"INITIATE", "INIT"},
        {"INSTRUMENT", "INST"}, {"LEVEL", "LEV"},      {"LFREQUENCY", "LFR"},  {"LIMIT", "LIM"},
        {"NPLCYCLES", "NPLC"},  {"OPERATION", "OPER"}, {"OUTPUT", "OUTP"},     {"POINTS", "POIN"},
        {"PROTECTION", "PROT"}, {"RANGE", "RANG"},     {"SAMPLE", "SAMP"},     {"SENSE", "SENS"},
        {"SLOPE", "SLOP"},      {"SOURCE", "SOUR"},    {"STATE", "STAT"},      {"STATUS", "STAT"},
        {"SYSTEM", "SYST"},     {"TRACE", "TRAC"},     {"TRIGGER", "TRIG"},    {"TRIPPED", "TRIP"},
        {"VOLTAGE", "VOLT"},    {"SWAPPED", "SWAP"},   {"NORMAL", "NORM"},     {"ALWAYS", "ALW"},
        {"RISING", "RIS"},      {"FALLING", "FALL"},   {"ISUMMARY", "ISUM"},   {"DIGITIZE", "DIG"}};
    return forms;
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string ShortMnemonic(std::string node) {
    node = Upper(node);
    // A numeric suffix ("SENS1", "NOTIFY2") does not change the node for these models.
    while (node.size() > 1 && std::isdigit(static_cast<unsigned char>(node.back())))
        node.pop_back();
    const auto found = LongForms().find(node);
    return found == LongForms().end() ? node : found->second;
}

std::vector<std::string> SplitOutsideQuotes(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string current;
    char quote = 0;
    for (char c : text) {
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == separator) {
            parts.push_back(current);
            current.clear();
            continue;
        }
        current += c;
    }
    parts.push_back(current);
    return parts;
}

} // namespace

CScpiCommand::CScpiCommand(const std::string& text) {
    const std::string unit = Trim(text);
    const auto blank = unit.find_first_of(" \t");
    std::string header = unit.substr(0, blank);
    if (blank != std::string::npos) {
        const std::string rest = Trim(unit.substr(blank));
        if (!rest.empty())
            for (const std::string& part : SplitOutsideQuotes(rest, ','))
                m_parameters.push_back(Trim(part));
    }
    if (!header.empty() && header.back() == '?') {
        m_query = true;
        header.pop_back();
    }
    if (!header.empty() && header.front() == ':')
        header.erase(0, 1);
    if (!header.empty() && header.front() == '*') {
        m_header = Upper(header);
        return;
    }
    std::string canonical;
    std::size_t start = 0;
    while (start <= header.size()) {
        const auto colon = header.find(':', start);
        const std::string node =
            header.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!canonical.empty())
            canonical += ':';
        canonical += ShortMnemonic(node);
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    m_header = canonical;
}

std::string CScpiCommand::Text(std::size_t index) const {
    if (index >= m_parameters.size())
        return {};
    std::string value = m_parameters[index];
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

std::string CScpiCommand::Word(std::size_t index) const {
    return Upper(Text(index));
}

std::optional<double> CScpiCommand::Number(std::size_t index) const {
    const std::string text = Text(index);
    if (text.empty())
        return std::nullopt;
    const char* begin = text.data();
    if (*begin == '+')
        ++begin;
    double value = 0.0;
    const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<bool> CScpiCommand::Switch(std::size_t index) const {
    const std::string word = Word(index);
    if (word == "ON" || word == "1")
        return true;
    if (word == "OFF" || word == "0")
        return false;
    return std::nullopt;
}

void CScpiCommand::DropNode(const std::string& node) {
    const std::string inner = ":" + node + ":";
    for (auto at = m_header.find(inner); at != std::string::npos; at = m_header.find(inner))
        m_header.erase(at, node.size() + 1);
    const std::string tail = ":" + node;
    if (m_header.size() > tail.size() &&
        m_header.compare(m_header.size() - tail.size(), tail.size(), tail) == 0)
        m_header.erase(m_header.size() - tail.size());
}

void CScpiCommand::AddRootFor(const std::vector<std::string>& nodes, const std::string& root) {
    const std::string first = m_header.substr(0, m_header.find(':'));
    if (std::find(nodes.begin(), nodes.end(), first) != nodes.end())
        m_header = root + ":" + m_header;
}

std::vector<std::string> CScpiCommand::SplitUnits(const std::string& message) {
    std::vector<std::string> units;
    for (const std::string& unit : SplitOutsideQuotes(message, ';'))
        if (!Trim(unit).empty())
            units.push_back(unit);
    return units;
}

std::string FormatExp(double value) {
    return platform::CFormatA("%.6E", value);
}
std::string FormatFixed(double value) {
    return platform::CFormatA("%.6f", value);
}

} // namespace benchsim

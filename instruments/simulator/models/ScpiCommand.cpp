#include "ScpiCommand.h"

#include "platform/Numbers.h"

#include <cctype>

namespace benchsim {

std::string CScpiCommand::Text(std::size_t index) const {
    return index < m_values.size() ? m_values[index].text : std::string();
}

std::string CScpiCommand::Word(std::size_t index) const {
    std::string text = Text(index);
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::optional<double> CScpiCommand::Number(std::size_t index) const {
    if (index >= m_values.size() || !m_values[index].isNumber)
        return std::nullopt;
    return m_values[index].number;
}

std::optional<bool> CScpiCommand::Switch(std::size_t index) const {
    const auto value = Number(index);
    if (!value || (*value != 0.0 && *value != 1.0))
        return std::nullopt;
    return *value != 0.0;
}

std::string FormatExp(double value) {
    return platform::CFormatA("%.6E", value);
}
std::string FormatFixed(double value) {
    return platform::CFormatA("%.6f", value);
}

} // namespace benchsim

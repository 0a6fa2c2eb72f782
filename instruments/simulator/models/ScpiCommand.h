#pragma once

#include <optional>
#include <string>
#include <vector>

namespace benchsim {

// One program message unit as the parser resolved it against an instrument's command tree: the
// key of the matched command (the short forms of all its nodes, optional ones included, e.g.
// "SENS:CURR:DC:NPLC"; common commands keep their '*') and its checked parameters.
class CScpiCommand {
public:
    struct SValue {
        // Character data: the short form of the allowed word ("RIS"); strings: their content, or the
        // key of the allowed form they matched ("CURR:DC"); numbers: as written.
        std::string text;
        double number = 0.0;
        bool isNumber = false;
    };

    CScpiCommand() = default;
    CScpiCommand(std::string key, bool query, std::vector<SValue> values = {})
        : m_key(std::move(key)), m_query(query), m_values(std::move(values)) {}

    const std::string& Header() const { return m_key; }
    bool IsQuery() const { return m_query; }
    std::size_t Count() const { return m_values.size(); }

    // The parameter's text, or empty when missing.
    std::string Text(std::size_t index) const;
    // Upper-cased Text.
    std::string Word(std::size_t index) const;
    // A numeric parameter (MINimum/MAXimum/DEFault already resolved); empty for anything else.
    std::optional<double> Number(std::size_t index) const;
    // A boolean parameter; empty for anything else.
    std::optional<bool> Switch(std::size_t index) const;

private:
    std::string m_key;
    bool m_query = false;
    std::vector<SValue> m_values;
};

// Number formats of the replies, independent of the process locale.
std::string FormatExp(double value);   // "1.234567E-03"
std::string FormatFixed(double value); // "1.234567"

} // namespace benchsim

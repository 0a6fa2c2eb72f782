#pragma once

#include <optional>
#include <string>
#include <vector>

namespace benchsim {

// One SCPI program message unit, split into a canonical header and its parameters.
// The header is upper-cased, each mnemonic reduced to its short form and numeric suffixes
// dropped, so ":SENSe1:CURRent:NPLCycles?" and "SENS:CURR:NPLC?" give the same key.
class CScpiCommand {
public:
    explicit CScpiCommand(const std::string& text);

    // "SENS:CURR:NPLC" without the leading ':' and without '?'; common commands keep their '*'.
    const std::string& Header() const { return m_header; }
    bool IsQuery() const { return m_query; }
    const std::vector<std::string>& Parameters() const { return m_parameters; }
    std::size_t Count() const { return m_parameters.size(); }

    // The parameter without its quotes, or empty when missing.
    std::string Text(std::size_t index) const;
    // Upper-cased parameter text without quotes.
    std::string Word(std::size_t index) const;
    std::optional<double> Number(std::size_t index) const;
    // ON/OFF/1/0; empty for anything else.
    std::optional<bool> Switch(std::size_t index) const;

    // Removes a header node (e.g. the optional "DC" of "SENS:CURR:DC:RANG").
    void DropNode(const std::string& node);
    // Prefixes "SENS:" to headers that start with one of the given nodes (an optional root).
    void AddRootFor(const std::vector<std::string>& nodes, const std::string& root);

    // Splits a program message at ';' outside quotes.
    static std::vector<std::string> SplitUnits(const std::string& message);

private:
    std::string m_header;
    bool m_query = false;
    std::vector<std::string> m_parameters;
};

// Number formats of the replies, independent of the process locale.
std::string FormatExp(double value);   // "1.234567E-03"
std::string FormatFixed(double value); // "1.234567"

} // namespace benchsim

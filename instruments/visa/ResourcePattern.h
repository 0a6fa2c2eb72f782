#pragma once

#include <regex>
#include <string>

namespace visa {

// A VISA resource expression: '?' any one character, '*' and '+' repeat what precedes them,
// [list] and [^list] character sets with ranges, '|' alternatives, (...) groups, '\' quotes the next
// character. Matching is whole-name and case-insensitive, as VISA resource names are.
class CResourcePattern {
public:
    bool Compile(const std::string& expression);
    bool Matches(const std::string& name) const;

private:
    std::regex m_regex;
    bool m_valid = false;
};

} // namespace visa

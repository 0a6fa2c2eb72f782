#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace visa {

// A VISA resource expression: '?' any one character, '*' and '+' repeat what precedes them,
// [list] and [^list] character sets with ranges, '|' alternatives, (...) groups, '\' quotes the next
// character. Matching is whole-name and case-insensitive, as VISA resource names are.
class CResourcePattern {
public:
    bool Compile(const std::string& expression);
    bool Matches(const std::string& name) const;

private:
    struct SItem;
    using Sequence = std::vector<SItem>;
    using Continuation = std::function<bool(size_t)>;
    struct SNode {
        enum eKind { eChar, eAny, eSet, eGroup } kind = eChar;
        char c = 0;
        bool negate = false;
        std::vector<std::pair<char, char>> ranges;
        std::vector<Sequence> alternatives;
    };
    struct SItem {
        SNode node;
        bool repeat = false;   // '*' or '+'
        bool optional = false; // '*'
    };

    bool ParseAlternatives(std::vector<Sequence>& alternatives, bool inGroup);
    bool ParseSet(SNode& node);
    bool MatchAlternatives(const std::vector<Sequence>& alternatives, size_t at,
                           const Continuation& next) const;
    bool MatchSequence(const Sequence& sequence, size_t index, size_t at, const Continuation& next) const;
    bool MatchRepeat(const Sequence& sequence, size_t index, size_t at, size_t count,
                     const Continuation& next) const;
    bool MatchNode(const SNode& node, size_t at, const Continuation& next) const;

    std::string m_expression;
    size_t m_at = 0;
    std::vector<Sequence> m_root;
    bool m_valid = false;
    mutable const std::string* m_name = nullptr;
};

} // namespace visa

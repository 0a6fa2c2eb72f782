#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace visa {

// A VISA resource expression: '?' any one character, '*' and '+' repeat what precedes them,
// [list] and [^list] character sets with ranges, '|' alternatives, (...) groups, '\' quotes the next
// character. Matching is whole-name and case-insensitive, as VISA resource names are.
class CResourcePattern {
public:
    CResourcePattern() = default;
    // The automaton points into the parsed expression.
    CResourcePattern(const CResourcePattern&) = delete;
    CResourcePattern& operator=(const CResourcePattern&) = delete;

    bool Compile(const std::string& expression);
    bool Matches(const std::string& name) const;

private:
    struct SItem;
    using Sequence = std::vector<SItem>;
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

    // A state of the compiled automaton: it consumes one character (eChar, eAny, eSet), branches
    // without consuming (eSplit), or accepts (eMatch). Matching simulates it in linear time.
    struct SState {
        enum eKind { eChar, eAny, eSet, eSplit, eMatch } kind = eMatch;
        const SNode* node = nullptr;
        int out = -1;
        int out2 = -1;
    };
    // A piece of the automaton: its start and the exits still to connect (state, which exit).
    struct SFragment {
        int start = -1;
        std::vector<std::pair<int, int>> exits;
    };

    bool ParseAlternatives(std::vector<Sequence>& alternatives, bool inGroup);
    bool ParseSet(SNode& node);
    SFragment CompileAlternatives(const std::vector<Sequence>& alternatives);
    SFragment CompileSequence(const Sequence& sequence);
    SFragment CompileItem(const SItem& item);
    SFragment CompileNode(const SNode& node);
    int AddState(SState::eKind kind, const SNode* node = nullptr);
    void Connect(const SFragment& fragment, int target);
    void AddClosure(std::vector<int>& set, std::vector<char>& seen, int state) const;
    static bool Accepts(const SNode& node, char c);

    std::string m_expression;
    size_t m_at = 0;
    std::vector<Sequence> m_root;
    std::vector<SState> m_states;
    int m_start = -1;
    bool m_valid = false;
};

} // namespace visa

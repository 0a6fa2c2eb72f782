#include "instruments/visa/ResourcePattern.h"

#include <cctype>

namespace visa {

namespace {
char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
} // namespace

bool CResourcePattern::Compile(const std::string& expression) {
    m_expression = expression;
    m_at = 0;
    m_root.clear();
    m_valid = !expression.empty() && ParseAlternatives(m_root, false) && m_at == expression.size();
    return m_valid;
}

bool CResourcePattern::ParseSet(SNode& node) {
    node.kind = SNode::eSet;
    if (m_at < m_expression.size() && m_expression[m_at] == '^') {
        node.negate = true;
        ++m_at;
    }
    while (m_at < m_expression.size() && m_expression[m_at] != ']') {
        char first = m_expression[m_at++];
        if (first == '\\' && m_at < m_expression.size())
            first = m_expression[m_at++];
        char last = first;
        if (m_at + 1 < m_expression.size() && m_expression[m_at] == '-' && m_expression[m_at + 1] != ']') {
            last = m_expression[m_at + 1];
            m_at += 2;
            if (last < first)
                return false;
        }
        node.ranges.emplace_back(first, last);
    }
    if (m_at == m_expression.size() || node.ranges.empty())
        return false;
    ++m_at; // ']'
    return true;
}

bool CResourcePattern::ParseAlternatives(std::vector<Sequence>& alternatives, bool inGroup) {
    alternatives.emplace_back();
    while (m_at < m_expression.size()) {
        const char c = m_expression[m_at];
        if (c == ')') {
            if (!inGroup)
                return false;
            break;
        }
        ++m_at;
        if (c == '|') {
            alternatives.emplace_back();
            continue;
        }
        Sequence& sequence = alternatives.back();
        if (c == '*' || c == '+') {
            if (sequence.empty() || sequence.back().repeat)
                return false;
            sequence.back().repeat = true;
            sequence.back().optional = c == '*';
            continue;
        }
        SItem item;
        if (c == '?') {
            item.node.kind = SNode::eAny;
        } else if (c == '[') {
            if (!ParseSet(item.node))
                return false;
        } else if (c == '(') {
            item.node.kind = SNode::eGroup;
            if (!ParseAlternatives(item.node.alternatives, true) || m_at == m_expression.size())
                return false;
            ++m_at; // ')'
        } else if (c == '\\') {
            if (m_at == m_expression.size())
                return false;
            item.node.c = m_expression[m_at++];
        } else {
            item.node.c = c;
        }
        sequence.push_back(std::move(item));
    }
    return true;
}

bool CResourcePattern::MatchNode(const SNode& node, size_t at, const Continuation& next) const {
    const std::string& name = *m_name;
    switch (node.kind) {
    case SNode::eChar:
        return at < name.size() && Lower(name[at]) == Lower(node.c) && next(at + 1);
    case SNode::eAny:
        return at < name.size() && next(at + 1);
    case SNode::eSet: {
        if (at >= name.size())
            return false;
        const char c = name[at];
        bool inSet = false;
        for (const auto& [first, last] : node.ranges) {
            const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            inSet = inSet || (c >= first && c <= last) || (Lower(c) >= first && Lower(c) <= last) ||
                    (upper >= first && upper <= last);
        }
        return inSet != node.negate && next(at + 1);
    }
    case SNode::eGroup:
        return MatchAlternatives(node.alternatives, at, next);
    }
    return false;
}

bool CResourcePattern::MatchRepeat(const Sequence& sequence, size_t index, size_t at, size_t count,
                                   const Continuation& next) const {
    const SItem& item = sequence[index];
    // Greedy: one more occurrence first (never an empty one, which would loop), then the rest.
    if (MatchNode(item.node, at, [&](size_t after) {
            return after > at && MatchRepeat(sequence, index, after, count + 1, next);
        }))
        return true;
    return (count > 0 || item.optional) && MatchSequence(sequence, index + 1, at, next);
}

bool CResourcePattern::MatchSequence(const Sequence& sequence, size_t index, size_t at,
                                     const Continuation& next) const {
    if (index == sequence.size())
        return next(at);
    const SItem& item = sequence[index];
    if (item.repeat)
        return MatchRepeat(sequence, index, at, 0, next);
    return MatchNode(item.node, at,
                     [&](size_t after) { return MatchSequence(sequence, index + 1, after, next); });
}

bool CResourcePattern::MatchAlternatives(const std::vector<Sequence>& alternatives, size_t at,
                                         const Continuation& next) const {
    for (const Sequence& sequence : alternatives)
        if (MatchSequence(sequence, 0, at, next))
            return true;
    return false;
}

bool CResourcePattern::Matches(const std::string& name) const {
    if (!m_valid)
        return false;
    m_name = &name;
    return MatchAlternatives(m_root, 0, [&](size_t at) { return at == name.size(); });
}

} // namespace visa

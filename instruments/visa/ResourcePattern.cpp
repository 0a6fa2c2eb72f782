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
    m_states.clear();
    m_valid = !expression.empty() && ParseAlternatives(m_root, false) && m_at == expression.size();
    if (m_valid) {
        const SFragment whole = CompileAlternatives(m_root);
        Connect(whole, AddState(SState::eMatch));
        m_start = whole.start;
    }
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

int CResourcePattern::AddState(SState::eKind kind, const SNode* node) {
    SState state;
    state.kind = kind;
    state.node = node;
    m_states.push_back(state);
    return static_cast<int>(m_states.size()) - 1;
}

void CResourcePattern::Connect(const SFragment& fragment, int target) {
    for (const auto& [state, which] : fragment.exits)
        (which == 0 ? m_states[state].out : m_states[state].out2) = target;
}

CResourcePattern::SFragment CResourcePattern::CompileNode(const SNode& node) {
    if (node.kind == SNode::eGroup)
        return CompileAlternatives(node.alternatives);
    const int state = AddState(node.kind == SNode::eChar  ? SState::eChar
                               : node.kind == SNode::eAny ? SState::eAny
                                                          : SState::eSet,
                               &node);
    return {state, {{state, 0}}};
}

CResourcePattern::SFragment CResourcePattern::CompileItem(const SItem& item) {
    SFragment body = CompileNode(item.node);
    if (!item.repeat)
        return body;
    // '*': split -> body -> split; '+': body -> split -> body.
    const int split = AddState(SState::eSplit);
    m_states[split].out = body.start;
    Connect(body, split);
    return {item.optional ? split : body.start, {{split, 1}}};
}

CResourcePattern::SFragment CResourcePattern::CompileSequence(const Sequence& sequence) {
    if (sequence.empty()) {
        const int pass = AddState(SState::eSplit);
        return {pass, {{pass, 0}, {pass, 1}}};
    }
    SFragment whole = CompileItem(sequence[0]);
    for (size_t i = 1; i < sequence.size(); ++i) {
        SFragment next = CompileItem(sequence[i]);
        Connect(whole, next.start);
        whole.exits = std::move(next.exits);
    }
    return whole;
}

CResourcePattern::SFragment CResourcePattern::CompileAlternatives(const std::vector<Sequence>& alternatives) {
    SFragment whole = CompileSequence(alternatives[0]);
    for (size_t i = 1; i < alternatives.size(); ++i) {
        SFragment other = CompileSequence(alternatives[i]);
        const int split = AddState(SState::eSplit);
        m_states[split].out = whole.start;
        m_states[split].out2 = other.start;
        whole.start = split;
        whole.exits.insert(whole.exits.end(), other.exits.begin(), other.exits.end());
    }
    return whole;
}

bool CResourcePattern::Accepts(const SNode& node, char c) {
    switch (node.kind) {
    case SNode::eChar:
        return Lower(c) == Lower(node.c);
    case SNode::eAny:
        return true;
    case SNode::eSet: {
        const char lower = Lower(c);
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        bool inSet = false;
        for (const auto& [first, last] : node.ranges)
            inSet = inSet || (c >= first && c <= last) || (lower >= first && lower <= last) ||
                    (upper >= first && upper <= last);
        return inSet != node.negate;
    }
    case SNode::eGroup:
        break;
    }
    return false;
}

void CResourcePattern::AddClosure(std::vector<int>& set, std::vector<char>& seen, int state) const {
    if (state < 0 || seen[static_cast<size_t>(state)])
        return;
    seen[static_cast<size_t>(state)] = 1;
    const SState& s = m_states[static_cast<size_t>(state)];
    if (s.kind == SState::eSplit) {
        AddClosure(set, seen, s.out);
        AddClosure(set, seen, s.out2);
        return;
    }
    set.push_back(state);
}

bool CResourcePattern::Matches(const std::string& name) const {
    if (!m_valid)
        return false;
    std::vector<int> current, next;
    std::vector<char> seen(m_states.size(), 0);
    AddClosure(current, seen, m_start);
    for (const char c : name) {
        next.clear();
        std::fill(seen.begin(), seen.end(), 0);
        for (const int state : current) {
            const SState& s = m_states[static_cast<size_t>(state)];
            if (s.kind != SState::eMatch && Accepts(*s.node, c))
                AddClosure(next, seen, s.out);
        }
        current.swap(next);
        if (current.empty())
            return false;
    }
    for (const int state : current)
        if (m_states[static_cast<size_t>(state)].kind == SState::eMatch)
            return true;
    return false;
}

} // namespace visa

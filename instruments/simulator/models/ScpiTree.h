#pragma once

#include "ScpiCommand.h"

#include <cctype>
#include <string>
#include <vector>

namespace benchsim {

// The letters and digits of headers, mnemonics and numbers, for a char of either sign.
inline bool IsLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
inline bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// A parameter as the lexer found it, before it is checked against a command.
struct SScpiData {
    enum class eType { Decimal, NonDecimal, Characters, String, Block };
    eType type = eType::Characters;
    // Decimal: the number as written; characters: the word; strings: the content; blocks: the bytes.
    std::string text;
    // Decimal: the unit after the number, upper-cased ("MA").
    std::string suffix;
    double number = 0.0;
    // A decimal number beyond the range of a double.
    bool overflow = false;
};

// An instrument's command tree, written as its reference manual writes headers:
// "[:SENSe[1]]:CURRent[:DC]:NPLCycles" (upper-case letters the short form, brackets optional nodes,
// "[1]" or "[1-4]" the numeric suffixes a node takes). Resolve matches a header against it and checks
// the parameters, giving the standard error code of what is wrong.
class CScpiTree {
public:
    enum class eForm { SetAndQuery, QueryOnly, SetOnly };
    enum class eKind { Number, Integer, Boolean, Choice, String, Any };

    struct SParam {
        eKind kind = eKind::Any;
        bool optional = false;
        double minimum = 0.0, maximum = 0.0, byDefault = 0.0;
        // Choice: the allowed words "RISing|FALLing"; String: the allowed contents written as headers
        // ("CURRent[:DC]|VOLTage[:DC]"), or null for any text.
        const char* forms = nullptr;
        // Number: the unit a value may carry ("A", "V", "S"), with an SI prefix.
        const char* unit = nullptr;
    };

    static SParam Num(double minimum, double maximum, double byDefault, const char* unit = nullptr);
    static SParam Int(double minimum, double maximum, double byDefault);
    static SParam Bool();
    static SParam Choice(const char* forms);
    static SParam Str(const char* forms = nullptr);
    static SParam Any();
    static SParam Optional(SParam param);

    // 'query' lists the parameters of the query form; a settable number without it takes an optional
    // MINimum, MAXimum or DEFault on query, answered as that limit.
    void Add(const char* pattern, eForm form, std::vector<SParam> set = {}, std::vector<SParam> query = {});

    // 0 with 'command' set, or the error code (-104, -108, -109, -113, -114, -131, -138, -222, -224).
    int Resolve(const std::vector<std::string>& header, bool query, const std::vector<SScpiData>& data,
                CScpiCommand& command) const;

private:
    struct SNode {
        std::string shortForm, longForm;
        bool optional = false;
        int suffixMin = -1, suffixMax = -1; // -1: no suffix
    };
    struct SRow {
        std::vector<SNode> nodes;
        std::string key;
        eForm form = eForm::SetAndQuery;
        std::vector<SParam> set, query;
    };
    struct SHeaderNode {
        std::string name;
        int suffix = -1;
    };

    static std::vector<SNode> ParsePattern(const std::string& pattern);
    static std::string KeyOf(const std::vector<SNode>& nodes);
    // False when a node is no mnemonic (letters, then digits for its suffix).
    static bool SplitHeader(const std::vector<std::string>& header, std::vector<SHeaderNode>& nodes);
    static bool Match(const std::vector<SNode>& pattern, std::size_t p,
                      const std::vector<SHeaderNode>& header, std::size_t h, bool& suffixOutOfRange);
    static int CheckParameter(const SParam& parameter, const SScpiData& data, CScpiCommand::SValue& value);
    static int CheckNumber(const SParam& parameter, const SScpiData& data, CScpiCommand::SValue& value);

    std::vector<SRow> m_rows;
};

} // namespace benchsim

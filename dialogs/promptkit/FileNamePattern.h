#pragma once

#include <QString>
#include <vector>

namespace promptkit {

// A file-name pattern is a sequence of fields, each written "<" value ">".
enum eFileNameFieldKind : int {
    kFieldEmpty = 0,
    kFieldText = 1,
    kFieldCounter = 2,
    kFieldDateTime = 3,
    kFieldExtension = 4
};

struct SFileNameField {
    int kind = kFieldEmpty;
    QString text;
};

// "<" starts a field afresh, ">" closes a non-empty one; what lies outside fields is dropped.
std::vector<SFileNameField> ParseFileNamePattern(const QString& pattern);

// Extension when the text starts with '.', text without '%', counter with one '%', date and time with
// more (a '%' takes the character after it along).
int FieldKindOf(const QString& text);

} // namespace promptkit

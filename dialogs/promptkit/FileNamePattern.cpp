#include "FileNamePattern.h"

namespace promptkit {

int FieldKindOf(const QString& text) {
    if (text.startsWith(u'.'))
        return kFieldExtension;
    int percents = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'%') {
            ++percents;
            ++i;
        }
    }
    if (percents == 0)
        return kFieldText;
    return percents == 1 ? kFieldCounter : kFieldDateTime;
}

std::vector<SFileNameField> ParseFileNamePattern(const QString& pattern) {
    std::vector<SFileNameField> fields;
    QString current;
    for (const QChar c : pattern) {
        if (c == u'<') {
            current.clear();
        } else if (c == u'>') {
            if (!current.isEmpty()) {
                fields.push_back(SFileNameField{FieldKindOf(current), current});
                current.clear();
            }
        } else {
            current.append(c);
        }
    }
    return fields;
}

} // namespace promptkit

#pragma once

#include <QString>
#include <string>
#include <string_view>

// The ANSI code page of the files and logs: CP936, a superset of the GB2312 the files declare.
namespace platform {

// Decodes CP936 bytes. Returns false (and leaves 'out' as far as decoded) on an invalid sequence.
bool AnsiToText(std::string_view ansi, QString& out);

// Encodes to CP936. A character the code page lacks becomes 'replacement' (when nonzero) or fails.
bool TextToAnsi(const QString& text, std::string& out, char replacement = '\0');

// Convenience forms that replace what cannot be converted ('#' towards CP936, U+FFFD from it).
QString FromAnsi(std::string_view ansi);
std::string ToAnsi(const QString& text);

// Number of bytes of the CP936 character that starts with 'lead' (1 or 2).
int AnsiCharLength(unsigned char lead);

// Length of the longest prefix of 'bytes' that ends on a whole character.
size_t AnsiWholeCharPrefix(std::string_view bytes);

} // namespace platform

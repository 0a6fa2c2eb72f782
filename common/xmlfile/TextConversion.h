#pragma once

#include <QString>
#include <string>

// Conversion between the program's texts and the 8-bit ANSI code page (CP936) in which the XML
// files are read and written. Results are HRESULT-style: 0 on success, a negative error otherwise.

// In a namespace of their own, so that they never meet other layers' result constants.
namespace xmlfile {
constexpr int S_OK = 0;
constexpr int E_OUTOFMEMORY = static_cast<int>(0x8007000Eu);
} // namespace xmlfile

// An error number as an HRESULT: its low 16 bits with 0x80070000; a value that is not positive as is.
int HResultFromError(int error);

// A null input gives a null text and 0. Invalid byte sequences become U+FFFD.
int AnsiToUnicode(const char* ansi, QString& out);
int AnsiToUnicode(const std::string& ansi, QString& out);

// A character the code page lacks becomes '?'. On failure the output is empty.
int UnicodeToAnsi(const QString& text, std::string& out);

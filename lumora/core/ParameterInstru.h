#pragma once

#include <QString>

// How to reach an instrument. Base of the two instrument records; a layout contract with the drivers.
class CParameterInstru {
public:
    CParameterInstru() = default;
    CParameterInstru(const CParameterInstru&) = default;
    CParameterInstru& operator=(const CParameterInstru&) = default;
    virtual ~CParameterInstru() = default;

    QString Name;
    QString Type;
    QString Model;
    QString Resource = QStringLiteral("TCPIP0::127.0.0.1::INSTR");
    QString Timeout = QStringLiteral("30000"); // milliseconds, as text
    QString EndOfLine;
    QString AddressIP;
    QString AddressUSB;
};
static_assert(sizeof(CParameterInstru) == sizeof(void*) + 8 * sizeof(QString));

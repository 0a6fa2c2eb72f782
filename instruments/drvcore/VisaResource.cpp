#include "instruments/drvcore/VisaResource.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

namespace drvcore {

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find("::", start);
        fields.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return fields;
        start = at + 2;
    }
}

// Decimal or 0x-hexadecimal, the whole field, within 'limit'.
bool ParseNumber(const std::string& field, unsigned long limit, unsigned long& value) {
    std::string_view digits = field;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    if (digits.empty())
        return false;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    return ec == std::errc() && end == digits.data() + digits.size() && value <= limit;
}

// "TCPIP", "TCPIP0", "usb3": the interface name and an optional board number.
bool ParseInterface(const std::string& field, const std::string& name, int& board) {
    const std::string upper = Upper(field);
    if (upper.compare(0, name.size(), name) != 0)
        return false;
    const std::string number = upper.substr(name.size());
    if (number.empty()) {
        board = 0;
        return true;
    }
    unsigned long value = 0;
    if (!std::all_of(number.begin(), number.end(), [](unsigned char c) { return std::isdigit(c); }) ||
        !ParseNumber(number, 65535, value))
        return false;
    board = static_cast<int>(value);
    return true;
}

} // namespace

bool CVisaResource::Invalid(const std::string& why) {
    m_kind = eInvalid;
    m_error = why;
    return false;
}

bool CVisaResource::Parse(const std::string& text) {
    *this = CVisaResource();
    std::vector<std::string> fields = SplitFields(text);
    if (std::any_of(fields.begin(), fields.end(), [](const std::string& f) { return f.empty(); }))
        return Invalid("empty field in resource \"" + text + "\"");
    const std::string suffix = Upper(fields.back());
    if (ParseInterface(fields[0], "TCPIP", m_board)) {
        if (suffix == "SOCKET") {
            unsigned long port = 0;
            if (fields.size() != 4 || !ParseNumber(fields[2], 65535, port) || port == 0)
                return Invalid("expected TCPIP[n]::host::port::SOCKET, got \"" + text + "\"");
            m_kind = eSocket;
            m_host = fields[1];
            m_port = static_cast<int>(port);
            return true;
        }
        if (suffix == "INSTR")
            fields.pop_back();
        if (fields.size() < 2 || fields.size() > 3)
            return Invalid("expected TCPIP[n]::host[::device]::INSTR, got \"" + text + "\"");
        m_host = fields[1];
        m_device = fields.size() == 3 ? fields[2] : "inst0";
        if (Upper(m_device).compare(0, 6, "HISLIP") == 0)
            return Invalid("HiSLIP is not supported: \"" + text + "\"");
        m_kind = eVxi11;
        return true;
    }
    if (ParseInterface(fields[0], "USB", m_board)) {
        if (suffix == "INSTR")
            fields.pop_back();
        unsigned long vendor = 0;
        unsigned long product = 0;
        unsigned long interfaceNumber = 0;
        if (fields.size() < 4 || fields.size() > 5 || !ParseNumber(fields[1], 0xFFFF, vendor) ||
            !ParseNumber(fields[2], 0xFFFF, product) ||
            (fields.size() == 5 && !ParseNumber(fields[4], 255, interfaceNumber)))
            return Invalid("expected USB[n]::vid::pid::serial[::intf]::INSTR, got \"" + text + "\"");
        m_kind = eUsbtmc;
        m_vendorId = static_cast<unsigned>(vendor);
        m_productId = static_cast<unsigned>(product);
        m_serial = fields[3];
        m_interface = fields.size() == 5 ? static_cast<int>(interfaceNumber) : -1;
        return true;
    }
    return Invalid("unsupported resource \"" + text + "\"");
}

} // namespace drvcore

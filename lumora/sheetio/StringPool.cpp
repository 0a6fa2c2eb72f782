#include "lumora/sheetio/StringPool.h"

namespace SheetIO {

void CStringPool::clear() {
    Buffer<SEntry>().swap(m_entries);
    Buffer<char>().swap(m_narrow);
    Buffer<char16_t>().swap(m_wide);
}

void CStringPool::emplace_back(std::string_view narrow) {
    m_entries.push_back(
        {static_cast<std::uint32_t>(m_narrow.size()), static_cast<std::uint32_t>(narrow.size())});
    m_narrow.insert(m_narrow.end(), narrow.begin(), narrow.end());
}

void CStringPool::emplace_back(std::u16string_view wide) {
    m_entries.push_back(
        {static_cast<std::uint32_t>(m_wide.size()), static_cast<std::uint32_t>(wide.size()) | kWide});
    m_wide.insert(m_wide.end(), wide.begin(), wide.end());
}

void CStringPool::push_back(const CXLString& text) {
    if (text.wide)
        emplace_back(std::u16string_view(text.wideChars));
    else
        emplace_back(std::string_view(text.narrow));
}

std::string_view CStringPool::Narrow(std::size_t i) const {
    return Wide(i) ? std::string_view() : std::string_view(m_narrow.data() + m_entries[i].start, Length(i));
}

std::u16string_view CStringPool::WideChars(std::size_t i) const {
    return Wide(i) ? std::u16string_view(m_wide.data() + m_entries[i].start, Length(i))
                   : std::u16string_view();
}

CXLString CStringPool::operator[](std::size_t i) const {
    return Wide(i) ? CXLString(std::u16string(WideChars(i))) : CXLString(std::string(Narrow(i)));
}

} // namespace SheetIO

#include "lumora/sheetio/ExcelFormula.h"

#include "lumora/sheetio/Bytes.h"

ExcelFormula::ExcelFormula(const Record& formula) : m_record(formula) {
    if (!m_record.hasString)
        return;
    SheetIO::CXLString s = m_record.string.string;
    if (!s.wide)
        m_text = s.narrow;
    s.Widen();
    m_wtext = s.wideChars;
}

bool ExcelFormula::HasNumericResult() const {
    return !(m_record.result[6] == 0xFF && m_record.result[7] == 0xFF);
}

double ExcelFormula::NumericResult() const {
    return HasNumericResult() ? SheetIO::GetF64(m_record.result) : 0.0;
}

#include "lumora/sheetio/ExcelCell.h"

#include "lumora/sheetio/Rk.h"

#include <cmath>
#include <limits>

namespace {

int TruncateToInt(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return std::numeric_limits<int>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

const std::shared_ptr<const ExcelFormula> NO_FORMULA;

} // namespace

ExcelCell::ExcelCell(const ExcelCell& other)
    : ExcelCellFields(other),
      m_payload(other.m_payload ? std::make_unique<Payload>(*other.m_payload) : nullptr) {}

ExcelCell& ExcelCell::operator=(const ExcelCell& other) {
    if (this != &other)
        *this = ExcelCell(other);
    return *this;
}

ExcelCell::Payload& ExcelCell::Content() {
    if (!m_payload)
        m_payload = std::make_unique<Payload>();
    return *m_payload;
}

const std::shared_ptr<const ExcelFormula>& ExcelCell::GetFormula() const {
    return type == eFormula && m_payload ? m_payload->formula : NO_FORMULA;
}

int ExcelCell::GetInteger() const {
    switch (type) {
    case eInt:
    case eBool:
        return ival;
    case eDouble:
        return TruncateToInt(dval);
    case eFormula:
        return GetFormula() && GetFormula()->HasNumericResult() ? TruncateToInt(GetFormula()->NumericResult())
                                                                : 0;
    default:
        return 0;
    }
}

double ExcelCell::GetDouble() const {
    switch (type) {
    case eDouble:
        return dval;
    case eInt:
    case eBool:
        return ival;
    case eFormula:
        return GetFormula() ? GetFormula()->NumericResult() : 0.0;
    default:
        return 0.0;
    }
}

const char* ExcelCell::GetString() const {
    if (type == eString && m_payload && m_payload->text && !m_payload->text->empty())
        return m_payload->text->c_str();
    if (type == eFormula && GetFormula())
        return GetFormula()->Text().c_str();
    return nullptr;
}

const char16_t* ExcelCell::GetWString() const {
    if (type == eWString && m_payload && m_payload->wtext && !m_payload->wtext->empty())
        return m_payload->wtext->c_str();
    if (type == eFormula && GetFormula())
        return GetFormula()->WText().c_str();
    return nullptr;
}

void ExcelCell::SetString(const char* text) {
    SetSharedString(text && *text ? std::make_shared<const std::string>(text) : nullptr);
}

void ExcelCell::SetWString(const char16_t* text) {
    SetSharedWString(text && *text ? std::make_shared<const std::u16string>(text) : nullptr);
}

void ExcelCell::SetSharedString(std::shared_ptr<const std::string> text) {
    if (!text || text->empty()) {
        type = eUndefined;
        m_payload.reset();
        return;
    }
    type = eString;
    Payload& content = Content();
    content.text = std::move(text);
    content.wtext.reset();
    content.formula.reset();
}

void ExcelCell::SetSharedWString(std::shared_ptr<const std::u16string> text) {
    if (!text || text->empty()) {
        type = eUndefined;
        m_payload.reset();
        return;
    }
    type = eWString;
    Payload& content = Content();
    content.wtext = std::move(text);
    content.text.reset();
    content.formula.reset();
}

void ExcelCell::SetBoolean(bool value) {
    type = eBool;
    ival = value ? 1 : 0;
    m_payload.reset();
}

void ExcelCell::SetError(uint8_t code) {
    type = eError;
    ival = code;
    m_payload.reset();
}

void ExcelCell::SetFormula(const ExcelFormula::Record& formula) {
    type = eFormula;
    Payload& content = Content();
    content.text.reset();
    content.wtext.reset();
    content.formula = std::make_shared<const ExcelFormula>(formula);
}

void ExcelCell::SetRkValue(uint32_t rk) {
    const SheetIO::CRkNumber number = SheetIO::DecodeRk(rk);
    if (number.isInteger) {
        type = eInt;
        ival = number.integer;
    } else {
        type = eDouble;
        dval = number.value;
    }
}

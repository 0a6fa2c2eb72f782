#include "dialogs/optionsbox/PrefMainPageData.h"
#include "dialogs/optionsbox/OptionsStrings.h"

#include "dialogs/optionsbox/OptionsBox.h"
#include "lumora/core/MainPreferences.h"
#include "platform/ControlId.h"
#include "platform/ParseNumber.h"
#include "waveform/prefdlg/DataExchange.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

void SelectRow(QComboBox* combo, int row) {
    combo->setCurrentIndex(row >= 0 && row < combo->count() ? row : -1);
}

} // namespace

CPrefMainPageData::CPrefMainPageData(MainPreferences* record) : m_record(record) {}

CPrefMainPageData::~CPrefMainPageData() = default;

bool CPrefMainPageData::OnCreatePage() {
    auto* layout = new QVBoxLayout(this);
    auto* box = new QGroupBox(optionsbox::Text(optionsbox::IDS_DATA_FORMAT), this);
    auto* grid = new QGridLayout(box);
    m_digits = platform::AddControl(box, IDC_DIGITS, new QLineEdit);
    m_digits->setMaximumWidth(60);
    m_spin = platform::AddControl(box, IDC_DIGITS_SPIN, new QScrollBar(Qt::Vertical));
    // A vertical bar's up arrow lowers its value: the bar holds kDigitsMax - decimals, so up adds one.
    m_spin->setRange(0, kDigitsMax);
    m_spin->setPageStep(1);
    m_spin->setFixedHeight(m_digits->sizeHint().height());
    connect(m_spin, &QScrollBar::valueChanged, this,
            [this](int value) { m_digits->setText(QString::number(kDigitsMax - value)); });
    connect(m_digits, &QLineEdit::textEdited, this, [this](const QString& text) {
        const auto digits = platform::ReadStrictInt(text);
        if (digits && digits.value >= 0 && digits.value <= kDigitsMax) {
            const QSignalBlocker blocker(m_spin);
            m_spin->setValue(kDigitsMax - digits.value);
        }
    });
    m_little = platform::AddControl(box, IDC_LITTLE, new QComboBox);
    m_little->addItems({QStringLiteral("0"), QStringLiteral("0.1"), QStringLiteral("0.01"),
                        QStringLiteral("0.001"), QStringLiteral("0.0001"), QStringLiteral("0.00001"),
                        QStringLiteral("0.000001"), QStringLiteral("0.0000001")});
    m_big = platform::AddControl(box, IDC_BIG, new QComboBox);
    m_big->addItems({QStringLiteral("999"), QStringLiteral("9999"), QStringLiteral("99999"),
                     QStringLiteral("999999"), QStringLiteral("9999999")});
    auto* mantissa = platform::AddControl(box, IDC_MANTISSA, new QComboBox);
    mantissa->addItems(
        {QStringLiteral("1.0 ... 999.9"), QStringLiteral("0.1 ... 99.99"), QStringLiteral("0.01 ... 9.999")});
    mantissa->hide();

    grid->addWidget(new QLabel(optionsbox::Text(optionsbox::IDS_DECIMAL_PLACES), box), 0, 0);
    auto* digitsRow = new QHBoxLayout;
    digitsRow->setSpacing(0);
    digitsRow->addWidget(m_digits);
    digitsRow->addWidget(m_spin);
    digitsRow->addStretch(1);
    grid->addLayout(digitsRow, 0, 1);
    grid->addWidget(new QLabel(optionsbox::Text(optionsbox::IDS_SCIENTIFIC_RANGE), box), 1, 0, 1, 2);
    grid->addWidget(new QLabel(optionsbox::Text(optionsbox::IDS_BELOW), box), 2, 0);
    grid->addWidget(m_little, 2, 1);
    grid->addWidget(new QLabel(optionsbox::Text(optionsbox::IDS_ABOVE), box), 3, 0);
    grid->addWidget(m_big, 3, 1);
    layout->addWidget(box);
    layout->addStretch(1);
    return true;
}

bool CPrefMainPageData::DoDataExchange(bool save) {
    if (!save) {
        SelectRow(m_little, m_record->EFormat_Little);
        SelectRow(m_big, m_record->EFormat_Big);
        if (m_record->Digits >= 0 && m_record->Digits <= kDigitsMax)
            m_spin->setValue(kDigitsMax - m_record->Digits);
    }
    // The decimals the writers honour; more are refused with the range message, which names the limit.
    return prefdlg::ExchangeInt(m_digits, m_record->Digits, save, 0, kDigitsMax);
}

int CPrefMainPageData::ValidatePage() {
    if (!UpdateData(true))
        return 0;
    m_record->EFormat_Little = m_little->currentIndex();
    m_record->EFormat_Big = m_big->currentIndex();
    return 1;
}

void CPrefMainPageData::SetDefaults() {
    m_record->Digits = 6;
    m_record->EFormat_Little = 2;
    m_record->EFormat_Big = 2;
    optionsbox::MakeNumberFormats(*m_record);
    optionsbox::MakeExponentThresholds(*m_record);
    UpdateData(false);
}

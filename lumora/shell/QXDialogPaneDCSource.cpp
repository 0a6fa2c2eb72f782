#include "lumora/shell/QXDialogPaneDCSource.h"

#include "lumora/LumoraStrings.h"
#include "lumora/controls/DigEdit.h"
#include "lumora/controls/DisplayDigital.h"
#include "lumora/controls/QXStaticLabel.h"
#include "lumora/controls/XPStyleButtonST.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/ParameterInstruDCSource.h"
#include "lumora/shell/OnlineIcon.h"
#include "lumora/shell/PaneCommon.h"
#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "platform/Numbers.h"
#include "platform/StringTable.h"
#include "supplydrv/EntityInstruDCPS.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <cmath>
#include <utility>

namespace {

constexpr double kSameValue = 1e-10;
constexpr int kLevelDigits = 7;

QLabel* Caption(QWidget* parent, const QString& text, const QRect& rect) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(rect);
    return label;
}

} // namespace

CQXDialogPaneDCSource::CQXDialogPaneDCSource(QWidget* parent) : controls::CScrollDialog(IDD, parent) {
    shell::RegisterPaneStrings();
    QWidget* content = Content();
    m_header = new controls::CQXStaticLabel(content, controls::CQXStaticLabel::SS_CENTER |
                                                         controls::CQXStaticLabel::SS_CENTERIMAGE);
    m_header->setText(QStringLiteral("DC SOURCE Meter"));
    m_header->setGeometry(5, 5, 198, 24);
    m_onlineIcon = new QLabel(content);
    m_onlineIcon->setGeometry(210, 5, 24, 24);
    m_readout = new controls::CDisplayDigital(content);
    m_readout->setGeometry(5, 34, 230, 80);
    Caption(content, platform::LoadString(IDS_PANE_MODEL), QRect(5, 124, 70, 22));
    m_model = new QLineEdit(content);
    m_model->setReadOnly(true);
    shell::ShowWholeTextAsTip(m_model);
    m_model->setGeometry(80, 124, 155, 22);
    Caption(content, platform::LoadString(IDS_PANE_VOLTAGE), QRect(5, 152, 70, 24));
    m_voltage = new controls::CDigEdit(content);
    m_voltage->setGeometry(80, 152, 155, 24);
    Caption(content, platform::LoadString(IDS_PANE_CURRENT), QRect(5, 182, 70, 24));
    m_current = new controls::CDigEdit(content);
    m_current->setGeometry(80, 182, 155, 24);
    Caption(content, platform::LoadString(IDS_PANE_OUTPUT), QRect(5, 218, 70, 24));
    m_outputSwitch = new controls::CXPStyleButtonST(content);
    m_outputSwitch->setGeometry(80, 212, 82, 34);
    m_outputIcon = new QLabel(content);
    m_outputIcon->setGeometry(175, 213, 32, 32);
    Caption(content, platform::LoadString(IDS_PANE_RANGE), QRect(5, 256, 70, 24));
    m_range = new QComboBox(content);
    m_range->addItems({QStringLiteral("10 mA"), QStringLiteral("100 mA"), QStringLiteral("  1 A"),
                       QStringLiteral(" 10 A")});
    m_range->setGeometry(80, 254, 155, 24);

    platform::SetControlId(this, IDD);
    platform::SetControlId(m_header, IDC_HEADER);
    platform::SetControlId(m_readout, IDC_READOUT);
    platform::SetControlId(m_onlineIcon, IDC_ONLINE);
    platform::SetControlId(m_model, IDC_MODEL);
    platform::SetControlId(m_voltage, IDC_VOLTAGE);
    platform::SetControlId(m_current, IDC_CURRENT);
    platform::SetControlId(m_outputSwitch, IDC_OUTPUT_SWITCH);
    platform::SetControlId(m_outputIcon, IDC_OUTPUT_ICON);
    platform::SetControlId(m_range, IDC_CURRENT_RANGE);

    QObject::connect(m_outputSwitch, &QAbstractButton::clicked, this, [this] { OnOutputSwitch(); });
    QObject::connect(m_range, &QComboBox::activated, this, [this](int index) { OnRangeChange(index); });
    shell::WheelOnlyWhenFocused(m_range, this);
    resize(240, 288);
    SetScrollInfo(std::make_unique<controls::SScrollInfo>());
}

CQXDialogPaneDCSource::~CQXDialogPaneDCSource() = default;

bool CQXDialogPaneDCSource::OnInitDialog() {
    controls::CScrollDialog::OnInitDialog();
    setWindowTitle(QString());
    m_header->SetLabelBackground(controls::RGB(0x2F, 0x4F, 0x7F), controls::RGB(0x8F, 0xAF, 0xDF), 1)
        .SetLabelTextColor(controls::RGB(255, 255, 255))
        .SetBoldFont(true);
    m_outputSwitch->SetIcons(shell::OutputSwitchImage(true), shell::OutputSwitchImage(false));
    m_current->m_dMin = 0;
    m_current->m_dMax = 3;
    m_voltage->m_dMin = 0;
    m_voltage->m_dMax = 5;
    m_readout->m_strVoltage = QStringLiteral("0.0");
    m_readout->m_strCurrent = QStringLiteral("0.0");
    ShowOutput(0);
    SetOnlineState(0);
    return true;
}

CMainFrame* CQXDialogPaneDCSource::Frame() const {
    return shell::FindMainFrame(this);
}

platform::LRESULT CQXDialogPaneDCSource::OnMessage(platform::UINT message, platform::WPARAM wParam,
                                                   platform::LPARAM) {
    if (message == controls::CDigEdit::WM_DIGEDIT_COMMIT && (wParam == IDC_VOLTAGE || wParam == IDC_CURRENT))
        OnVoltageOrCurrent(static_cast<int>(wParam));
    return 0;
}

void CQXDialogPaneDCSource::SetOnlineState(int state) {
    m_online = state;
    m_onlineIcon->setPixmap(shell::OnlineIcon(state != 0));
    m_onlineIcon->setToolTip(state != 0 ? QStringLiteral("online") : QStringLiteral("offline"));
    m_onlineIcon->repaint();
}

void CQXDialogPaneDCSource::EnableControls(bool enable) {
    m_enabled = enable;
    ApplyEnabled();
}

void CQXDialogPaneDCSource::SetRunLock(bool locked) {
    m_runLocked = locked;
    ApplyEnabled();
}

void CQXDialogPaneDCSource::ApplyEnabled() {
    const bool on = m_enabled && !m_runLocked;
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_model, m_outputSwitch, m_voltage, m_current, m_range})
        control->setEnabled(on);
}

void CQXDialogPaneDCSource::ShowOutput(int state) {
    m_outputIcon->setPixmap(shell::OutputIcon(state != 0));
    m_outputIcon->repaint();
    m_outputSwitch->SetIcons(shell::OutputSwitchImage(state != 0));
    m_readout->m_bOutputOn = state != 0;
    m_readout->update();
}

void CQXDialogPaneDCSource::ShowLevel(int id, const QString& text) {
    controls::CDigEdit* edit = id == IDC_VOLTAGE ? m_voltage : m_current;
    (id == IDC_VOLTAGE ? m_readout->m_strVoltage : m_readout->m_strCurrent) = text;
    m_readout->update();
    edit->m_nMaxDigits = kLevelDigits;
    edit->m_nDecimals = shell::DecimalsOf(text);
    const double value = platform::WToF(text);
    edit->SetValue(value);
    (id == IDC_VOLTAGE ? m_lastVoltage : m_lastCurrent) = value;
}

void CQXDialogPaneDCSource::UpdateFromParameter() {
    CMainFrame* frame = Frame();
    if (frame == nullptr)
        return;
    const CParameterInstruDCSource& record = frame->SupplyRecord();
    m_voltage->m_dMin = 0;
    m_voltage->m_dMax = platform::WToF(record.VoltageProtection);
    m_current->m_dMin = 0;
    m_current->m_dMax = platform::WToF(record.CurrentProtection);
    for (auto [id, text] : {std::pair{int(IDC_VOLTAGE), record.VoltageLevel},
                            std::pair{int(IDC_CURRENT), record.CurrentLimit}}) {
        controls::CDigEdit* edit = id == IDC_VOLTAGE ? m_voltage : m_current;
        edit->m_nMaxDigits = kLevelDigits;
        edit->m_nDecimals = shell::DecimalsOf(text);
        edit->SetValue(platform::WToF(text));
        (id == IDC_VOLTAGE ? m_lastVoltage : m_lastCurrent) = platform::WToF(text);
    }
    m_initialised = true;
}

bool CQXDialogPaneDCSource::MayProgram(CMainFrame*& frame) const {
    frame = Frame();
    if (frame == nullptr)
        return false;
    // A run owns the instrument's session and reply buffer until it ends.
    if (frame->MeasureThreadExists())
        return false;
    if (frame->SupplyDriver() == nullptr) {
        platform::StopBox(IDS_NO_SUPPLY);
        return false;
    }
    return true;
}

template <typename T>
void CQXDialogPaneDCSource::ChangeItem(CMainFrame& frame, T CParameterInstruDCSource::*field, T value,
                                       int item) {
    CParameterInstruDCSource& record = frame.SupplyRecord();
    CEntityInstruDCPS* driver = frame.SupplyDriver();
    shell::ChangeRecordItem(record, field, std::move(value), driver != nullptr, IDS_NO_SUPPLY, [&] {
        return driver->SetParameterInstruDCSource(record, item) != 0 &&
               driver->GetParameterInstruDCSource(record, item) != 0;
    });
}

void CQXDialogPaneDCSource::OnVoltageOrCurrent(int id) {
    if (!m_initialised)
        return;
    const bool voltage = id == IDC_VOLTAGE;
    controls::CDigEdit* edit = voltage ? m_voltage : m_current;
    double& last = voltage ? m_lastVoltage : m_lastCurrent;
    const double value = edit->GetValue();
    if (std::fabs(value - last) < kSameValue)
        return;
    CMainFrame* frame = Frame();
    if (frame == nullptr)
        return;
    QString CParameterInstruDCSource::*field =
        voltage ? &CParameterInstruDCSource::VoltageLevel : &CParameterInstruDCSource::CurrentLimit;
    if (frame->MeasureThreadExists()) {
        ShowLevel(id, frame->SupplyRecord().*field);
        return;
    }
    last = value;
    // The number as typed, to the last digit: the text is what is sent and stored.
    ChangeItem(*frame, field, platform::FormatExact(value, 0),
               voltage ? CParameterInstruDCSource::ITEM_VOLTAGE : CParameterInstruDCSource::ITEM_CURRENT);
    if (frame->SupplyDriver() != nullptr)
        ShowLevel(id, frame->SupplyRecord().*field);
}

void CQXDialogPaneDCSource::OnOutputSwitch() {
    CMainFrame* frame = Frame();
    if (frame == nullptr)
        return;
    CParameterInstruDCSource& record = frame->SupplyRecord();
    if (!m_initialised || frame->MeasureThreadExists()) {
        ShowOutput(record.OutputState);
        return;
    }
    ChangeItem(*frame, &CParameterInstruDCSource::OutputState, record.OutputState != 0 ? 0 : 1,
               CParameterInstruDCSource::ITEM_OUTPUT);
    ShowOutput(record.OutputState);
}

void CQXDialogPaneDCSource::OnRangeChange(int index) {
    CMainFrame* frame = Frame();
    if (frame == nullptr)
        return;
    CParameterInstruDCSource& record = frame->SupplyRecord();
    if (frame->MeasureThreadExists()) {
        m_range->setCurrentIndex(record.CurrentRange);
        return;
    }
    ChangeItem(*frame, &CParameterInstruDCSource::CurrentRange, index, CParameterInstruDCSource::ITEM_RANGE);
    m_range->setCurrentIndex(record.CurrentRange);
}

void CQXDialogPaneDCSource::Refresh() {
    CMainFrame* frame = nullptr;
    if (!MayProgram(frame))
        return;
    CParameterInstruDCSource& record = frame->SupplyRecord();
    if (frame->SupplyDriver()->GetParameterInstruDCSource(record, CParameterInstruDCSource::ITEM_ALL) == 0)
        return;
    m_model->setText(record.InstrumentIDN.trimmed());
    m_model->setCursorPosition(0);
    ShowOutput(record.OutputState);
    ShowLevel(IDC_VOLTAGE, record.VoltageLevel);
    ShowLevel(IDC_CURRENT, record.CurrentLimit);
    m_range->setCurrentIndex(record.CurrentRange);
    m_initialised = true;
}

void CQXDialogPaneDCSource::RefreshOutput() {
    CMainFrame* frame = Frame();
    if (frame == nullptr || frame->SupplyDriver() == nullptr || !frame->SupplyDriver()->IsInstruConnected())
        return;
    CParameterInstruDCSource& record = frame->SupplyRecord();
    if (frame->SupplyDriver()->GetParameterInstruDCSource(record, CParameterInstruDCSource::ITEM_OUTPUT) != 0)
        ShowOutput(record.OutputState);
}

void CQXDialogPaneDCSource::UpdateReadout(const QString& reading) {
    CMainFrame* frame = Frame();
    if (frame != nullptr) {
        // The run switched the output on before it measured.
        frame->SupplyRecord().OutputState = 1;
        m_readout->m_strVoltage = frame->SupplyRecord().VoltageLevel;
    }
    ShowOutput(1);
    const QStringList fields = reading.split(u',');
    if (fields.size() >= 2 && fields.size() % 2 == 0) {
        const double current = platform::WToF(fields[fields.size() - 2]);
        if (std::isfinite(current))
            m_readout->m_strCurrent = platform::CFormat("%.7f", current);
    }
    m_readout->update();
}

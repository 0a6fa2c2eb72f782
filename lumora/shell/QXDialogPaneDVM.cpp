#include "lumora/shell/QXDialogPaneDVM.h"

#include "common/xmlfile/TextHelpers.h"
#include "instruments/meterdrv/EntityInstruDVM.h"
#include "lumora/LumoraStrings.h"
#include "lumora/controls/QXStaticLabel.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/ParameterInstruMultiMeter.h"
#include "lumora/shell/PaneCommon.h"
#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "platform/Numbers.h"
#include "platform/ParseNumber.h"
#include "platform/StringTable.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr double kSameValue = 1e-10;
constexpr int kInitialPositions = 10000000;

} // namespace

CQXDialogPaneDVM::CQXDialogPaneDVM(QWidget* parent) : controls::CScrollDialog(IDD, parent) {
    shell::RegisterPaneStrings();
    QWidget* content = Content();
    auto caption = [content](const QString& text, const QRect& rect) {
        auto* label = new QLabel(text, content);
        label->setGeometry(rect);
    };
    m_header = new controls::CQXStaticLabel(content, controls::CQXStaticLabel::SS_CENTER |
                                                         controls::CQXStaticLabel::SS_CENTERIMAGE);
    m_header->setText(QStringLiteral("DMM Meter"));
    m_header->setGeometry(5, 5, 230, 24);
    caption(platform::LoadString(IDS_PANE_MODEL), QRect(5, 36, 70, 22));
    m_model = new QLineEdit(content);
    m_model->setReadOnly(true);
    shell::ShowWholeTextAsTip(m_model);
    m_model->setGeometry(80, 36, 155, 22);
    caption(platform::LoadString(IDS_PANE_RANGE), QRect(5, 64, 70, 24));
    m_range = new QComboBox(content);
    m_range->addItems({QStringLiteral("10  μA"), QStringLiteral("100 μA"), QStringLiteral("1 mA"),
                       QStringLiteral("10 mA"), QStringLiteral("100 mA"), QStringLiteral("1 A"),
                       QStringLiteral("3 A")});
    m_range->setGeometry(80, 64, 155, 24);
    caption(platform::LoadString(IDS_PANE_TRIGGER_MODE), QRect(5, 94, 70, 24));
    m_triggerMode = new QComboBox(content);
    m_triggerMode->addItems({platform::LoadString(IDS_TRIGGER_AUTO), platform::LoadString(IDS_TRIGGER_RISING),
                             platform::LoadString(IDS_TRIGGER_FALLING)});
    m_triggerMode->setGeometry(80, 94, 155, 24);
    m_count = new QLineEdit(content);
    m_count->setGeometry(80, 124, 155, 24);
    m_count->hide();
    caption(platform::LoadString(IDS_PANE_TRIGGER_LEVEL), QRect(5, 124, 70, 24));
    m_slider = new QSlider(Qt::Horizontal, content);
    m_slider->setGeometry(80, 124, 155, 24);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_level = new QLineEdit(content);
    m_level->setGeometry(80, 152, 125, 24);
    caption(QStringLiteral("A"), QRect(210, 152, 25, 24));

    platform::SetControlId(this, IDD);
    platform::SetControlId(m_header, IDC_HEADER);
    platform::SetControlId(m_triggerMode, IDC_TRIGGER_MODE);
    platform::SetControlId(m_count, IDC_COUNT);
    platform::SetControlId(m_slider, IDC_LEVEL_SLIDER);
    platform::SetControlId(m_level, IDC_LEVEL);
    platform::SetControlId(m_model, IDC_MODEL);
    platform::SetControlId(m_range, IDC_CURRENT_RANGE);

    QObject::connect(m_triggerMode, &QComboBox::activated, this, [this](int index) { OnTriggerMode(index); });
    QObject::connect(m_range, &QComboBox::activated, this, [this](int index) { OnRange(index); });
    for (QWidget* control : std::initializer_list<QWidget*>{m_triggerMode, m_range, m_slider})
        shell::WheelOnlyWhenFocused(control, this);
    // The level goes to the instrument when the thumb is let go or moved by a key or a page click,
    // not at every pixel of a drag.
    QObject::connect(m_slider, &QSlider::valueChanged, this, [this](int position) {
        if (m_showing)
            return;
        m_level->setText(FormatDouble(-1, position / 1e6));
        if (!m_slider->isSliderDown())
            OnSliderCommitted();
    });
    QObject::connect(m_slider, &QSlider::sliderReleased, this, [this] { OnSliderCommitted(); });
    // Typing moves the thumb; Enter or leaving the edit sends the level. Both read the text by the
    // same rule: while the text is no number the thumb shows the level the meter keeps, and Enter
    // sends nothing.
    QObject::connect(m_level, &QLineEdit::textEdited, this, [this](const QString& text) {
        const auto amperes = platform::ReadStrictDouble(text);
        m_showing = true;
        m_slider->setValue(shell::SliderPosition(amperes ? amperes.value : m_lastLevel, m_slider->minimum(),
                                                 m_slider->maximum()));
        m_showing = false;
    });
    QObject::connect(m_level, &QLineEdit::editingFinished, this, [this] {
        const auto amperes = platform::ReadStrictDouble(m_level->text());
        OnLevelCommitted(amperes ? amperes.value : std::numeric_limits<double>::quiet_NaN());
    });
    resize(240, 184);
    SetScrollInfo(std::make_unique<controls::SScrollInfo>());
}

CQXDialogPaneDVM::~CQXDialogPaneDVM() = default;

bool CQXDialogPaneDVM::OnInitDialog() {
    controls::CScrollDialog::OnInitDialog();
    m_header->SetLabelBackground(controls::RGB(0x2F, 0x4F, 0x7F), controls::RGB(0x8F, 0xAF, 0xDF), 1)
        .SetLabelTextColor(controls::RGB(255, 255, 255))
        .SetBoldFont(true);
    m_showing = true;
    m_slider->setRange(0, kInitialPositions);
    m_slider->setTickInterval(kInitialPositions / 10);
    m_showing = false;
    m_triggerMode->setCurrentIndex(0);
    ApplyEnabled();
    return true;
}

int CQXDialogPaneDVM::RangePositions(int rangeIndex) {
    static const double kFullScale[] = {1e-5, 1e-4, 0.001, 0.01, 0.1, 1.0, 3.0};
    if (rangeIndex < 0 || rangeIndex > 6)
        return kInitialPositions;
    return static_cast<int>(std::trunc(kFullScale[rangeIndex] * 1e6 + 1e-9));
}

void CQXDialogPaneDVM::SetSliderRange(int rangeIndex) {
    const int positions = RangePositions(rangeIndex);
    m_showing = true;
    m_slider->setRange(0, positions);
    m_slider->setTickInterval(std::max(1, positions / 10));
    m_showing = false;
}

CMainFrame* CQXDialogPaneDVM::Frame() const {
    return shell::FindMainFrame(this);
}

void CQXDialogPaneDVM::EnableControls(bool enable) {
    m_enabled = enable;
    ApplyEnabled();
}

void CQXDialogPaneDVM::SetRunLock(bool locked) {
    m_runLocked = locked;
    ApplyEnabled();
}

void CQXDialogPaneDVM::ApplyEnabled() {
    const bool on = m_enabled && !m_runLocked;
    m_triggerMode->setEnabled(on);
    m_range->setEnabled(on);
    const bool level = on && m_triggerMode->currentIndex() != 0;
    m_slider->setEnabled(level);
    m_level->setEnabled(level);
}

bool CQXDialogPaneDVM::MayProgram(CMainFrame*& frame) const {
    frame = Frame();
    if (frame == nullptr || frame->MeasureThreadExists())
        return false;
    if (frame->MultimeterDriver() != nullptr)
        return true;
    platform::StopBox(IDS_NO_METER);
    return false;
}

template <typename T>
void CQXDialogPaneDVM::ChangeItem(CMainFrame& frame, T CParameterInstruMultiMeter::*field, T value,
                                  int item) {
    CParameterInstruMultiMeter& record = frame.MultimeterRecord();
    CEntityInstruDVM* driver = frame.MultimeterDriver();
    shell::ChangeRecordItem(record, field, std::move(value), driver != nullptr, IDS_NO_METER, [&] {
        return driver->SetParameterInstruMultiMeter(record, item) != 0 &&
               driver->GetParameterInstruMultiMeter(record, item) != 0;
    });
}

void CQXDialogPaneDVM::OnTriggerMode(int index) {
    CMainFrame* frame = Frame();
    if (frame == nullptr)
        return;
    CParameterInstruMultiMeter& record = frame->MultimeterRecord();
    if (frame->MeasureThreadExists()) {
        m_triggerMode->setCurrentIndex(record.TriggerMode);
        ApplyEnabled();
        return;
    }
    ChangeItem(*frame, &CParameterInstruMultiMeter::TriggerMode, index,
               CParameterInstruMultiMeter::ITEM_TRIGGER_MODE);
    m_triggerMode->setCurrentIndex(record.TriggerMode);
    ApplyEnabled();
}

void CQXDialogPaneDVM::OnRange(int index) {
    CMainFrame* frame = Frame();
    if (frame == nullptr)
        return;
    CParameterInstruMultiMeter& record = frame->MultimeterRecord();
    if (frame->MeasureThreadExists()) {
        m_range->setCurrentIndex(record.CurrentRange);
        return;
    }
    ChangeItem(*frame, &CParameterInstruMultiMeter::CurrentRange, index,
               CParameterInstruMultiMeter::ITEM_RANGE);
    m_range->setCurrentIndex(record.CurrentRange);
    SetSliderRange(record.CurrentRange);
    ShowLevel(record.TriggerLevel);
}

void CQXDialogPaneDVM::OnSliderCommitted() {
    OnLevelCommitted(m_slider->value() / 1e6);
}

void CQXDialogPaneDVM::OnLevelCommitted(double amperes) {
    if (!m_initialised)
        return;
    CMainFrame* frame = Frame();
    if (frame == nullptr)
        return;
    CParameterInstruMultiMeter& record = frame->MultimeterRecord();
    if (!std::isfinite(amperes) || std::fabs(amperes - m_lastLevel) < kSameValue) {
        ShowLevel(record.TriggerLevel);
        return;
    }
    if (frame->MeasureThreadExists()) {
        ShowLevel(record.TriggerLevel);
        return;
    }
    // The number as typed, to the last digit: the text is what is sent and stored.
    ChangeItem(*frame, &CParameterInstruMultiMeter::TriggerLevel, platform::FormatExact(amperes, 0),
               CParameterInstruMultiMeter::ITEM_TRIGGER_LEVEL);
    ShowLevel(record.TriggerLevel);
}

void CQXDialogPaneDVM::ShowLevel(const QString& text) {
    const double amperes = platform::WToF(text);
    m_lastLevel = amperes;
    m_showing = true;
    m_level->setText(text.trimmed());
    m_slider->setValue(shell::SliderPosition(amperes, m_slider->minimum(), m_slider->maximum()));
    m_showing = false;
}

void CQXDialogPaneDVM::UpdateFromParameter() {
    CMainFrame* frame = Frame();
    if (frame == nullptr)
        return;
    ShowRecord(frame->MultimeterRecord());
}

void CQXDialogPaneDVM::ShowRecord(const CParameterInstruMultiMeter& record) {
    m_model->setText(record.InstrumentIDN.trimmed());
    m_model->setCursorPosition(0);
    m_range->setCurrentIndex(record.CurrentRange);
    SetSliderRange(record.CurrentRange);
    m_triggerMode->setCurrentIndex(record.TriggerMode);
    ShowLevel(record.TriggerLevel);
    ApplyEnabled();
    m_initialised = true;
}

void CQXDialogPaneDVM::Refresh() {
    CMainFrame* frame = nullptr;
    if (!MayProgram(frame))
        return;
    CParameterInstruMultiMeter& record = frame->MultimeterRecord();
    if (frame->MultimeterDriver()->GetParameterInstruMultiMeter(record,
                                                                CParameterInstruMultiMeter::ITEM_ALL) == 0)
        return;
    ShowRecord(record);
}

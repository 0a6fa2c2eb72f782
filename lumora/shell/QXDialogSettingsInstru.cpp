#include "lumora/shell/QXDialogSettingsInstru.h"

#include "lumora/LumoraStrings.h"
#include "lumora/shell/DialogData.h"

#include "lumora/controls/xStatic.h"
#include "lumora/core/MainFrame.h"
#include "lumora/shell/PaneCommon.h"
#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kPictureWidth = 300;
constexpr int kPictureHeight = 150;
constexpr int kPictureIds[] = {2003, 2005, 2006};

void DrawBox(QPainter& painter, const QRect& box, const QColor& fill, const QString& text) {
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 6, 6);
    painter.drawText(box, Qt::AlignCenter, text);
}

} // namespace

QPixmap CQXDialogSettingsInstru::SetupPicture(int pictureId) {
    QPixmap picture(kPictureWidth, kPictureHeight);
    picture.fill(QColor(0xF4, 0xF6, 0xF9));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect supply(12, 20, 100, 44), meter(12, 90, 100, 44), device(200, 55, 88, 44);
    const bool withSupply = pictureId != 2006;
    const bool withMeter = pictureId != 2005;
    painter.setPen(QPen(QColor(0x2F, 0x4F, 0x7F), 2));
    if (withSupply)
        painter.drawLine(supply.right(), supply.center().y(), device.left(), device.top() + 12);
    if (withMeter)
        painter.drawLine(meter.right(), meter.center().y(), device.left(), device.bottom() - 12);
    if (withSupply)
        DrawBox(painter, supply, QColor(0xDD, 0xE8, 0xF6), QStringLiteral("2280S"));
    if (withMeter)
        DrawBox(painter, meter, QColor(0xE6, 0xF2, 0xE0), QStringLiteral("DMM7510"));
    DrawBox(painter, device, QColor(0xFF, 0xF1, 0xD6), QStringLiteral("DUT"));
    return picture;
}

CQXDialogSettingsInstru::CQXDialogSettingsInstru(int measureMode, QWidget* parent)
    : controls::CDialogResize(IDD, parent), m_measureMode(measureMode) {
    shell::RegisterSettingsStrings();
    setWindowTitle(platform::LoadString(IDS_INSTRU_TITLE));
    platform::SetControlId(this, IDD);
    auto* layout = new QVBoxLayout(this);

    auto* modeRow = new QHBoxLayout;
    auto* modes = new QButtonGroup(this);
    const struct {
        int text;
        int id;
    } modeButtons[] = {{IDS_INSTRU_MODE_1, IDC_MODE_BOTH},
                       {IDS_INSTRU_MODE_2, IDC_MODE_SUPPLY},
                       {IDS_INSTRU_MODE_3, IDC_MODE_METER}};
    for (int i = 0; i < 3; ++i) {
        m_modes[i] = new QRadioButton(platform::LoadString(modeButtons[i].text), this);
        platform::SetControlId(m_modes[i], modeButtons[i].id);
        modes->addButton(m_modes[i], i);
        modeRow->addWidget(m_modes[i]);
    }
    if (measureMode >= 0 && measureMode <= 2)
        m_modes[measureMode]->setChecked(true);
    layout->addLayout(modeRow);

    m_picture = new controls::CxStatic(this);
    platform::SetControlId(m_picture, IDC_PICTURE);
    m_picture->setFixedSize(kPictureWidth, kPictureHeight);
    layout->addWidget(m_picture, 0, Qt::AlignHCenter);

    auto* grid = new QGridLayout;
    m_supplyModel = new QComboBox(this);
    m_supplyModel->addItem(QStringLiteral("Keithley 2280S"));
    m_meterModel = new QComboBox(this);
    m_meterModel->addItem(QStringLiteral("Keithley DMM7510"));
    m_supplySettings = new QPushButton(platform::LoadString(IDS_INSTRU_CONFIGURE), this);
    m_meterSettings = new QPushButton(platform::LoadString(IDS_INSTRU_CONFIGURE), this);
    m_protection = new QPushButton(platform::LoadString(IDS_INSTRU_PROTECTION), this);
    platform::SetControlId(m_supplyModel, IDC_SUPPLY_MODEL);
    platform::SetControlId(m_meterModel, IDC_METER_MODEL);
    platform::SetControlId(m_supplySettings, IDC_SUPPLY_SETTINGS);
    platform::SetControlId(m_meterSettings, IDC_METER_SETTINGS);
    platform::SetControlId(m_protection, IDC_PROTECTION);
    grid->addWidget(new QLabel(platform::LoadString(IDS_INSTRU_SUPPLY), this), 0, 0);
    grid->addWidget(m_supplyModel, 0, 1);
    grid->addWidget(m_supplySettings, 0, 2);
    grid->addWidget(m_protection, 0, 3);
    grid->addWidget(new QLabel(platform::LoadString(IDS_INSTRU_METER), this), 1, 0);
    grid->addWidget(m_meterModel, 1, 1);
    grid->addWidget(m_meterSettings, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    shell::AddOkCancel(this, layout);

    QObject::connect(modes, &QButtonGroup::idClicked, this, [this](int) { OnModeChange(); });
    QObject::connect(m_supplySettings, &QPushButton::clicked, this, [this] { OnInstrumentButton(1); });
    QObject::connect(m_meterSettings, &QPushButton::clicked, this, [this] { OnInstrumentButton(0); });
    QObject::connect(m_protection, &QPushButton::clicked, this, [this] { OnInstrumentButton(3); });

    OnModeChange();
    m_supplyModel->setCurrentIndex(0);
    m_meterModel->setCurrentIndex(0);
}

CQXDialogSettingsInstru::~CQXDialogSettingsInstru() = default;

void CQXDialogSettingsInstru::OnModeChange() {
    for (int i = 0; i < 3; ++i) {
        if (m_modes[i]->isChecked())
            m_measureMode = i;
    }
    if (m_measureMode < 0 || m_measureMode > 2)
        return;
    m_pictureId = kPictureIds[m_measureMode];
    m_picture->SetBitmap(SetupPicture(m_pictureId), kPictureWidth, kPictureHeight);
    const bool supply = m_measureMode != 2;
    const bool meter = m_measureMode != 1;
    m_supplyModel->setEnabled(supply);
    m_supplySettings->setEnabled(supply);
    m_protection->setEnabled(supply);
    m_meterModel->setEnabled(meter);
    m_meterSettings->setEnabled(meter);
}

// Connection and protection settings are the frame's: it edits and saves the records.
void CQXDialogSettingsInstru::OnInstrumentButton(int which) {
    if (CMainFrame* frame = shell::FindMainFrame(this))
        platform::SendMessage(frame, CMainFrame::WM_INSTRUMENT_DIALOG, static_cast<platform::WPARAM>(which),
                              1);
}

void CQXDialogSettingsInstru::accept() {
    OnModeChange();
    controls::CDialogResize::accept();
}

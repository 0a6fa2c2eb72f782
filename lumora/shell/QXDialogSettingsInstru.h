#pragma once

#include "lumora/controls/DialogResize.h"

#include <QPixmap>

namespace controls {
class CxStatic;
}
class QComboBox;
class QPushButton;
class QRadioButton;

// The instrument selection dialog: the measure mode, a picture of its set-up, and the way to each
// instrument's connection settings and to the protection settings, which the frame opens.
class CQXDialogSettingsInstru : public controls::CDialogResize {
public:
    enum : int {
        IDD = 122,
        IDC_MODE_BOTH = 1098,
        IDC_PICTURE = 1099,
        IDC_MODE_SUPPLY = 1100,
        IDC_SUPPLY_MODEL = 1101,
        IDC_METER_MODEL = 1102,
        IDC_SUPPLY_SETTINGS = 1103,
        IDC_METER_SETTINGS = 1104,
        IDC_MODE_METER = 1105,
        IDC_PROTECTION = 1106,
    };

    explicit CQXDialogSettingsInstru(int measureMode, QWidget* parent = nullptr);
    ~CQXDialogSettingsInstru() override;

    int MeasureMode() const { return m_measureMode; }
    // The picture shown: 2003 both instruments, 2005 DC source alone, 2006 multimeter alone.
    int PictureId() const { return m_pictureId; }
    // A drawing of the set-up that the picture id names.
    static QPixmap SetupPicture(int pictureId);

    void accept() override;

private:
    void OnModeChange();
    void OnInstrumentButton(int which);

    int m_measureMode;
    int m_pictureId = 0;
    QRadioButton* m_modes[3] = {};
    controls::CxStatic* m_picture = nullptr;
    QComboBox* m_supplyModel = nullptr;
    QComboBox* m_meterModel = nullptr;
    QPushButton* m_supplySettings = nullptr;
    QPushButton* m_meterSettings = nullptr;
    QPushButton* m_protection = nullptr;
};

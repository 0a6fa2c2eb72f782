#pragma once

#include "lumora/controls/ScrollDialog.h"

class QComboBox;
class QLineEdit;
class QSlider;
class CMainFrame;
class CParameterInstruMultiMeter;
namespace controls {
class CQXStaticLabel;
}

// The multimeter's control form: trigger mode, trigger level (trackbar in microamperes and an edit
// in amperes), model and current range. Each change goes into the frame's multimeter record, to the
// driver, and is read back; when the driver fails, record and form return to the previous value.
class CQXDialogPaneDVM : public controls::CScrollDialog {
public:
    enum : int {
        IDD = 117,
        IDC_HEADER = 1065,
        IDC_TRIGGER_MODE = 1075,
        IDC_COUNT = 1076,
        IDC_LEVEL_SLIDER = 1077,
        IDC_LEVEL = 1078,
        IDC_MODEL = 1105,
        IDC_CURRENT_RANGE = 1106,
    };

    explicit CQXDialogPaneDVM(QWidget* parent = nullptr);
    ~CQXDialogPaneDVM() override;

    bool OnInitDialog() override;
    void EnableControls(bool enable);
    void SetRunLock(bool locked);
    void Refresh();
    // The form from the frame's record as it stands: model, range, trigger mode and level.
    void UpdateFromParameter();
    // Full scale of a range index in trackbar positions (microamperes).
    static int RangePositions(int rangeIndex);

    QSlider* LevelSlider() const { return m_slider; }
    QLineEdit* LevelEdit() const { return m_level; }

private:
    CMainFrame* Frame() const;
    bool MayProgram(CMainFrame*& frame) const;
    // The change into the record, to the driver and back (shell::ChangeRecordItem).
    template <typename T>
    void ChangeItem(CMainFrame& frame, T CParameterInstruMultiMeter::*field, T value, int item);
    void ShowRecord(const CParameterInstruMultiMeter& record);
    void OnTriggerMode(int index);
    void OnRange(int index);
    void OnLevelCommitted(double amperes);
    void OnSliderCommitted();
    void ShowLevel(const QString& text);
    void SetSliderRange(int rangeIndex);
    void ApplyEnabled();

    controls::CQXStaticLabel* m_header = nullptr;
    QComboBox* m_triggerMode = nullptr;
    QLineEdit* m_count = nullptr;
    QSlider* m_slider = nullptr;
    QLineEdit* m_level = nullptr;
    QLineEdit* m_model = nullptr;
    QComboBox* m_range = nullptr;
    bool m_initialised = false;
    bool m_enabled = true;
    bool m_runLocked = false;
    bool m_showing = false;
    double m_lastLevel = 0.0;
};

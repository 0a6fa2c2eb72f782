#pragma once

#include "lumora/controls/ScrollDialog.h"
#include "platform/MessageTarget.h"

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class CMainFrame;
class CParameterInstruDCSource;
namespace controls {
class CDigEdit;
class CDisplayDigital;
class CQXStaticLabel;
class CXPStyleButtonST;
} // namespace controls

// The DC source's control form: readout, model, voltage and current edits, output switch and
// current range. Each change goes into the frame's supply record, to the driver, and is read back;
// when the driver fails, record and form return to the previous value.
class CQXDialogPaneDCSource : public controls::CScrollDialog, public platform::CMessageTarget {
public:
    enum : int {
        IDD = 121,
        IDC_HEADER = 1072,
        IDC_READOUT = 1069,
        IDC_ONLINE = 1075,
        IDC_MODEL = 1105,
        IDC_VOLTAGE = 1070,
        IDC_CURRENT = 1071,
        IDC_OUTPUT_SWITCH = 1073,
        IDC_OUTPUT_ICON = 1074,
        IDC_CURRENT_RANGE = 1106,
    };

    explicit CQXDialogPaneDCSource(QWidget* parent = nullptr);
    ~CQXDialogPaneDCSource() override;

    bool OnInitDialog() override;
    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override;

    void EnableControls(bool enable);
    // While a run owns the instrument the form sends nothing.
    void SetRunLock(bool locked);
    // Bounds and values of the two edits from the frame's record.
    void UpdateFromParameter();
    // Reads the whole record from the driver and shows it.
    void Refresh();
    // Reads the output state from the driver and shows it: a run may leave the output as it set it.
    void RefreshOutput();
    void SetOnlineState(int state);
    int OnlineState() const { return m_online; }
    // The readout during a run: output on, the set voltage and the last current of the reading text
    // ("value,time,value,time,..."); an empty reading keeps the current shown.
    void UpdateReadout(const QString& reading);

    controls::CDisplayDigital* Readout() const { return m_readout; }
    controls::CDigEdit* VoltageEdit() const { return m_voltage; }
    controls::CDigEdit* CurrentEdit() const { return m_current; }
    bool IsInitialised() const { return m_initialised; }

private:
    CMainFrame* Frame() const;
    void OnVoltageOrCurrent(int id);
    void OnOutputSwitch();
    void OnRangeChange(int index);
    // The frame with a driver that may be used now; null (after saying why) otherwise.
    bool MayProgram(CMainFrame*& frame) const;
    // The change into the record, to the driver and back (shell::ChangeRecordItem).
    template <typename T>
    void ChangeItem(CMainFrame& frame, T CParameterInstruDCSource::*field, T value, int item);
    void ShowOutput(int state);
    void ShowLevel(int id, const QString& text);
    void ApplyEnabled();

    controls::CQXStaticLabel* m_header = nullptr;
    controls::CDisplayDigital* m_readout = nullptr;
    QLabel* m_onlineIcon = nullptr;
    QLineEdit* m_model = nullptr;
    controls::CDigEdit* m_voltage = nullptr;
    controls::CDigEdit* m_current = nullptr;
    controls::CXPStyleButtonST* m_outputSwitch = nullptr;
    QLabel* m_outputIcon = nullptr;
    QComboBox* m_range = nullptr;
    bool m_initialised = false;
    bool m_enabled = true;
    bool m_runLocked = false;
    int m_online = 0;
    double m_lastVoltage = 0.0;
    double m_lastCurrent = 0.0;
};

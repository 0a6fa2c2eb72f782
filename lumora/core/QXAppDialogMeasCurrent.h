#pragma once

#include "lumora/core/MeasurementPage.h"

#include <QString>
#include <vector>

class CWaveformTimeVsAmpMainWnd;

// The current test page: the measured current of a run in a time-versus-amplitude plot, marker and
// statistics values in a table beneath it, up to three comparison lines from files, and the export of
// the measured line as CSV, text or workbook.
class CQXAppDialogMeasCurrent : public CMeasurementPage {
public:
    enum : int {
        IDD = 108,
        IDC_WAVEFORM = 1225,
        IDC_AUTO_AXES = 1068,
        IDC_LABEL_HORI = 1066,
        IDC_LABEL_VERT = 1067,
        IDS_LABEL_HORI = 35015,
        IDS_LABEL_VERT = 35016,
        IDS_AUTO_AXES = 34330,
    };

    explicit CQXAppDialogMeasCurrent(QWidget* parent = nullptr);
    ~CQXAppDialogMeasCurrent() override;

    // Builds the plot, the table and the tool buttons; false when the plot cannot be created.
    bool OnInitDialog();

    void SetMeasuredData(double* x, double* y, unsigned n, int exclusion);
    void ResetMeasurement();
    int SaveWaveformData(const QString& path);
    int SaveListData(const QString& path);
    // Reads a comparison file into line 0..3: 1 read, 0 not readable (the parse error was shown), -1
    // cancelled by the user (the line is left as it was, no message).
    int LoadWaveformFromTextFile(int line, const QString& path, QChar separator);
    int LoadWaveformFromXlsFile(int line, const QString& path);

    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override;
    void OnCommand(int id) override;

    CWaveformTimeVsAmpMainWnd* Waveform() const { return m_waveform; }

protected:
    const controls::DlgResizeMapEntry* GetDlgResizeMap() const override;
    void OnSize(unsigned type, int cx, int cy) override;

private:
    void CreateHiddenTemplateItems();
    void UpdateLineButtons();
    void OnLineButton(int line);
    int ShowLoadedLine(int line, int result, const std::vector<double>& x, const std::vector<double>& y);
    platform::LRESULT OnWaveformMarker(platform::WPARAM record, platform::LPARAM code);

    CWaveformTimeVsAmpMainWnd* m_waveform = nullptr;
};

#pragma once

#include "waveform/common/ScrollBarCtrl.h"
#include "waveform/common/WaveformPlotMainWnd.h"
#include "waveform/dualplot/WaveformComboWnd.h"

// The two-axis data-logging plot window a host page embeds: the plot child with a horizontal scroll
// bar and a vertical one for each vertical axis (left and right). Used on the user-interface thread
// only.
class CWaveformComboMainWnd : public CWaveformPlotMainWnd {
public:
    CWaveformComboMainWnd();
    ~CWaveformComboMainWnd() override;

    // Creates the window as a child of parent at rect; host receives WM_APP+0xC6 from the plot. 0 on
    // success; -2 when the plot cannot be created.
    int Create(QWidget* parent, platform::CMessageTarget* host, const QRect& rect, int id = 0);

    void InitialMemory(unsigned capacity);
    void SetDataIndex(const double* x, const double* y, unsigned start, unsigned count, int exclusion);
    int AppendDataSlice(const double* x, const double* y, unsigned start, unsigned count, int exclusion);
    std::size_t DataRoom() const;
    int RemakeDataRoom(std::size_t room,
                       const std::function<void(double* x, double* y, std::size_t n)>& refill);
    void SetDataMultiLine(int line, const double* x, const double* y, unsigned n, int axis, int exclusion);
    void ResetWaveformDataLogging();
    void FollowVerticalData();
    unsigned GetMultiLineDataLength(int line) const;
    void SetAxisTextVertLeft(const QString& text);
    void SetAxisTextVertRight(const QString& text);
    void SetWaveformOperateTool(eWaveformOperateToolsCombo tool);
    eWaveformOperateToolsCombo GetWaveformOperateTool() const;
    int SaveAsBitmapDLOG(const QString& path) const;

protected:
    int PropertyMode() const override { return 1; }

private:
    CScrollBarCtrl m_scrollHori;
    CScrollBarCtrl m_scrollLeft;
    CScrollBarCtrl m_scrollRight;
    CWaveformComboWnd m_wndWaveform;
};

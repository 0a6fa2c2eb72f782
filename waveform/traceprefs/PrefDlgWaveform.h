#pragma once

#include "waveform/common/ParameterWaveform.h"
#include "waveform/prefdlg/PreferencesDlgBase.h"

#include <memory>

class CPrefPageWaveform;
class CPrefPageWfColor;

// The waveform preferences dialog: edits a copy of a plot window's display parameters on the axis
// page and the colour page.
class CPrefDlgWaveform : public CPreferencesDlgBase {
public:
    CPrefDlgWaveform(const CParameterWaveform& record, int mode, QWidget* parent = nullptr);
    ~CPrefDlgWaveform() override;

    const CParameterWaveform& Record() const { return m_record; }

protected:
    QString CaptionOf(const QString& path) const override;

private:
    CParameterWaveform m_record;
    CPrefPageWaveform* m_pageAxis;
    CPrefPageWfColor* m_pageColour;
};

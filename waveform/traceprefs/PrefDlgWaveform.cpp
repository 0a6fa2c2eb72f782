#include "waveform/traceprefs/PrefDlgWaveform.h"

#include "waveform/traceprefs/PrefPageWaveform.h"
#include "waveform/traceprefs/PrefPageWfColor.h"
#include "waveform/traceprefs/TraceStrings.h"

CPrefDlgWaveform::CPrefDlgWaveform(const CParameterWaveform& record, int mode, QWidget* parent)
    : CPreferencesDlgBase(QStringLiteral("LastActive-Waveform"), parent), m_record(record),
      m_pageAxis(new CPrefPageWaveform(&m_record, mode)), m_pageColour(new CPrefPageWfColor(&m_record)) {
    m_pageAxis->setParent(this);
    m_pageColour->setParent(this);
    m_pageAxis->hide();
    m_pageColour->hide();
    AddPage(m_pageAxis);
    AddPage(m_pageColour);
    AddTreeItem(m_pageAxis, traceprefs::Text(traceprefs::IDS_PAGE_AXIS));
    AddTreeItem(m_pageColour, traceprefs::Text(traceprefs::IDS_PAGE_COLOUR));
    setWindowTitle(traceprefs::Text(traceprefs::IDS_CAPTION));
    ShowStartPage();
}

CPrefDlgWaveform::~CPrefDlgWaveform() = default;

// The caption text holds no place for the path.
QString CPrefDlgWaveform::CaptionOf(const QString&) const {
    return traceprefs::Text(traceprefs::IDS_CAPTION);
}

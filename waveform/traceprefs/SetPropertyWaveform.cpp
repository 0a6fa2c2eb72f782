#include "waveform/traceprefs/SetPropertyWaveform.h"

#include "waveform/traceprefs/PrefDlgWaveform.h"

#include <QApplication>
#include <exception>

int DLL_SetPropertyWaveform(CParameterWaveform* record, int mode) {
    if (record == nullptr || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return 0;
    try {
        CPrefDlgWaveform dialog(*record, mode, QApplication::activeWindow());
        if (dialog.exec() != QDialog::Accepted)
            return 0;
        *record = dialog.Record();
        return 1;
    } catch (const std::exception&) {
        return 0;
    }
}

#include "DlgExeFinish.h"
#include "platform/StringTable.h"

#include "ColorEdit.h"
#include "PromptResources.h"
#include "PromptStrings.h"
#include "lumora/controls/DialogUnits.h"
#include "platform/ControlId.h"
#include "xStatic.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace promptkit {
namespace {

// Template layout in dialog units.
const QRect kDialog(0, 0, 262, 128);
const QRect kGroup(7, 5, 248, 96);
const QRect kPicture(16, 20, 24, 22);
const QRect kText(48, 18, 198, 76);
const QRect kOk(205, 107, 50, 14);

} // namespace

CDlgExeFinish::CDlgExeFinish(QWidget* parent, const QString& text) : QDialog(parent) {
    RegisterPromptStrings();
    setWindowTitle(platform::LoadString(IDS_RUN_FINISHED));
    const QFont dialogFont = font();
    const auto pixels = [&dialogFont](const QRect& units) {
        return controls::DialogUnitsToPixels(dialogFont, units);
    };
    setFixedSize(pixels(kDialog).size());

    auto* group = new QGroupBox((u' ' + platform::LoadString(IDS_INFORMATION) + u' '), this);
    group->setGeometry(pixels(kGroup));

    // The library's bitmap 8018 in the picture static, which takes the bitmap's own size.
    auto* picture = new CxStatic(this);
    platform::SetControlId(picture, IDC_PICTURE);
    picture->setGeometry(pixels(kPicture));
    picture->SetBitmap(BitmapResource(IDB_FINISHED), false);
    picture->SetResourceId(IDB_FINISHED);

    auto* edit = new CColorEdit(this);
    platform::SetControlId(edit, IDC_TEXT);
    edit->setGeometry(pixels(kText));
    edit->SetTextColor(kTextColor);
    edit->SetBkColor(kTextBackColor);
    edit->SetText(text);

    auto* ok = new QPushButton(platform::LoadString(IDS_OK), this);
    platform::SetControlId(ok, IDOK);
    ok->setGeometry(pixels(kOk));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void CDlgExeFinish::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_initialised)
        return;
    m_initialised = true;
    CenterOverOwner(*this);
    MessageBeep(MB_ICONEXCLAMATION);
}

} // namespace promptkit

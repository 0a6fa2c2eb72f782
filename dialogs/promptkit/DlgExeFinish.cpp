#include "DlgExeFinish.h"

#include "lumora/controls/ColorRef.h"
#include "lumora/controls/DialogUnits.h"
#include "platform/ControlId.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
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
    setWindowTitle(QStringLiteral("运行结束"));
    const QFont dialogFont = font();
    const auto pixels = [&dialogFont](const QRect& units) {
        return controls::DialogUnitsToPixels(dialogFont, units);
    };
    setFixedSize(pixels(kDialog).size());

    auto* group = new QGroupBox(QStringLiteral(" 信息 "), this);
    group->setGeometry(pixels(kGroup));

    auto* picture = new QLabel(this);
    platform::SetControlId(picture, IDC_PICTURE);
    const QRect pictureRect = pixels(kPicture);
    picture->setGeometry(pictureRect);
    picture->setAlignment(Qt::AlignCenter);
    const int side = std::min(pictureRect.width(), pictureRect.height());
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(side, side));

    auto* edit = new QPlainTextEdit(this);
    platform::SetControlId(edit, IDC_TEXT);
    edit->setGeometry(pixels(kText));
    edit->setReadOnly(true);
    QPalette colours = edit->palette();
    colours.setColor(QPalette::Base, controls::ToQColor(kTextBackColor));
    colours.setColor(QPalette::Text, controls::ToQColor(kTextColor));
    edit->setPalette(colours);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    edit->setPlainText(shown);

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    platform::SetControlId(ok, IDOK);
    ok->setGeometry(pixels(kOk));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void CDlgExeFinish::CenterOverParent() {
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QRect area;
    if (owner != nullptr && owner->isVisible())
        area = QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
    else if (const QScreen* screen = QApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        move(area.center() - QPoint(width() / 2, height() / 2));
}

void CDlgExeFinish::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_initialised)
        return;
    m_initialised = true;
    CenterOverParent();
    QApplication::beep();
}

} // namespace promptkit

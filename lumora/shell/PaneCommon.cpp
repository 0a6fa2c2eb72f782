#include "lumora/shell/PaneCommon.h"

#include "lumora/LumoraStrings.h"
#include "lumora/controls/ScrollDialog.h"
#include "lumora/core/MainFrame.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace shell {

namespace {

class CWheelGuard : public QObject {
public:
    CWheelGuard(QWidget* control, QWidget* form) : QObject(control), m_control(control), m_form(form) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_control || event->type() != QEvent::Wheel || m_control->hasFocus())
            return false;
        if (m_form != nullptr)
            QApplication::sendEvent(m_form, event);
        return true;
    }

private:
    QWidget* m_control;
    QPointer<QWidget> m_form;
};

} // namespace

void WheelOnlyWhenFocused(QWidget* control, QWidget* form) {
    // A wheel would otherwise give the focus first (combo boxes take it so) and then change the control.
    control->setFocusPolicy(Qt::StrongFocus);
    control->installEventFilter(new CWheelGuard(control, form));
}

CMainFrame* FindMainFrame(const QWidget* widget) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (auto* frame = dynamic_cast<const CMainFrame*>(w))
            return const_cast<CMainFrame*>(frame);
    }
    return nullptr;
}

int DecimalsOf(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype point = trimmed.indexOf(u'.');
    if (point < 0)
        return 0;
    qsizetype digits = 0;
    while (point + 1 + digits < trimmed.size() && trimmed[point + 1 + digits].isDigit())
        ++digits;
    return static_cast<int>(std::min<qsizetype>(digits, 6));
}

int SliderPosition(double amperes, int minimum, int maximum) {
    // Checked in double before the conversion: a value outside int is no position at all.
    const double position = std::trunc(amperes * 1e6);
    if (std::isnan(position) || position <= minimum)
        return minimum;
    if (position >= maximum)
        return maximum;
    return static_cast<int>(position);
}

QPixmap OutputSwitchImage(bool on) {
    QPixmap pixmap(82, 34);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
    painter.setBrush(on ? QColor(0x2E, 0xA0, 0x43) : QColor(0xB0, 0xB0, 0xB0));
    painter.drawRoundedRect(QRectF(1.5, 1.5, 79, 31), 15, 15);
    painter.setBrush(Qt::white);
    painter.drawEllipse(on ? QRectF(51, 4, 26, 26) : QRectF(5, 4, 26, 26));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(on ? QRectF(6, 0, 44, 34) : QRectF(32, 0, 44, 34), Qt::AlignCenter,
                     on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    return pixmap;
}

QPixmap OutputIcon(bool on) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
    painter.setBrush(on ? QColor(0xF0, 0x30, 0x20) : QColor(0x70, 0x70, 0x70));
    painter.drawEllipse(QRectF(4, 4, 24, 24));
    return pixmap;
}

void RegisterPaneStrings() {
    platform::RegisterStrings({
        {ID_REFRESH, u"仪器数据刷新\n刷新"},
        {ID_CONNECTION, u"仪器连接参数\n仪器连接"},
        {ID_PROTECTION, u"保护设置\n保护设置"},
        {IDS_PANE_MODEL, u"设备型号"},
        {IDS_PANE_RANGE, u"电流量程"},
        {IDS_PANE_TRIGGER_MODE, u"触发方式"},
        {IDS_TRIGGER_AUTO, u"自动"},
        {IDS_TRIGGER_RISING, u"上升沿"},
        {IDS_TRIGGER_FALLING, u"下降沿"},
        {IDS_PANE_TRIGGER_LEVEL, u"触发电平"},
        {IDS_PANE_VOLTAGE, u"电压值"},
        {IDS_PANE_CURRENT, u"电流值"},
        {IDS_PANE_OUTPUT, u"输出开关"},
    });
}

} // namespace shell

namespace shell {

void ShowWholeTextAsTip(QLineEdit* field) {
    QObject::connect(field, &QLineEdit::textChanged, field, [field](const QString& text) {
        field->setToolTip(text);
        field->setCursorPosition(0);
    });
}

int PaneContentWidth(const QWidget* pane, const controls::CScrollDialog* form) {
    if (pane == nullptr || form == nullptr)
        return 0;
    const QStyle* style = pane->style();
    // The form's full width, its vertical bar, the pane body's margins and the pane's frame.
    constexpr int kBodyMargins = 2;
    constexpr int kSpare = 4;
    return form->Content()->childrenRect().right() + 1 + 5 + style->pixelMetric(QStyle::PM_ScrollBarExtent) +
           kBodyMargins + 2 * style->pixelMetric(QStyle::PM_DockWidgetFrameWidth) + kSpare;
}

} // namespace shell

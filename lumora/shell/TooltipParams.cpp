#include "lumora/shell/TooltipParams.h"

#include "lumora/controls/ButtonST.h"

#include <QApplication>
#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

namespace shell {

namespace {

// Sees each tooltip request of every widget before the widget does.
class CTooltipWidth : public QObject {
public:
    explicit CTooltipWidth(QObject* parent) : QObject(parent) {}
    int maxWidth = kTooltipMaxWidth;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        // Rich text lays itself out; an empty tip is the widget's own business; the owner-drawn
        // buttons break their tips at their own width.
        const QString text = widget->toolTip();
        if (text.isEmpty() || Qt::mightBeRichText(text) ||
            dynamic_cast<controls::CButtonST*>(widget) != nullptr)
            return false;
        const QString wrapped = controls::WrapToWidth(text, QFontMetrics(QToolTip::font()), maxWidth);
        if (wrapped == text)
            return false;
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), wrapped, widget, QRect(),
                           widget->toolTipDuration());
        return true;
    }
};

CTooltipWidth* g_tooltipWidth = nullptr;

} // namespace

void SetTooltipParams(int maxWidth) {
    if (g_tooltipWidth == nullptr) {
        g_tooltipWidth = new CTooltipWidth(qApp);
        qApp->installEventFilter(g_tooltipWidth);
        QObject::connect(g_tooltipWidth, &QObject::destroyed, [] { g_tooltipWidth = nullptr; });
    }
    g_tooltipWidth->maxWidth = maxWidth;
}

} // namespace shell

#include "waveform/traceprefs/ColorPickerCB.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace {

class CSampleDelegate : public QStyledItemDelegate {
public:
    explicit CSampleDelegate(CColorPickerCB* combo) : QStyledItemDelegate(combo), m_combo(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const bool enabled = (option.state & QStyle::State_Enabled) && (index.flags() & Qt::ItemIsEnabled);
        m_combo->DrawEntry(*painter, option.rect, index.row(), selected, enabled);
        if (option.state & QStyle::State_HasFocus) {
            painter->setPen(QPen(option.palette.color(QPalette::Text), 1, Qt::DotLine));
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), 20));
        return size;
    }

private:
    CColorPickerCB* m_combo;
};

} // namespace

CColorPickerCB::CColorPickerCB(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new CSampleDelegate(this));
}

CColorPickerCB::~CColorPickerCB() = default;

void CColorPickerCB::SetColour(COLORREF colour) {
    m_colour = colour & 0xFFFFFF;
    update();
    if (view() != nullptr)
        view()->viewport()->update();
}

void CColorPickerCB::Fill(const std::initializer_list<std::pair<const char*, int>>& entries) {
    clear();
    for (const auto& [text, value] : entries)
        addItem(QString::fromLatin1(text), value);
}

bool CColorPickerCB::SelectValue(int value) {
    const int index = findData(value);
    setCurrentIndex(index);
    return index >= 0;
}

int CColorPickerCB::SelectedValue() const {
    return currentIndex() < 0 ? 0 : currentData().toInt();
}

void CColorPickerCB::DrawEntry(QPainter& painter, const QRect& rect, int index, bool selected,
                               bool enabled) const {
    const QPalette& pal = palette();
    painter.save();
    painter.fillRect(rect, selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
    if (index >= 0 && index < count()) {
        const QString text = itemText(index);
        QColor textColour = selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);
        if (!enabled)
            textColour = pal.color(QPalette::Disabled, QPalette::Text);
        painter.setPen(textColour);
        const QFontMetrics metrics(font());
        painter.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        const int textWidth = metrics.horizontalAdvance(text);
        const int y = rect.center().y();
        const int left = rect.left() + 3 * textWidth;
        const int right = rect.right() - textWidth;
        if (right > left) {
            painter.setPen(SamplePen(itemData(index).toInt()));
            painter.drawLine(left, y, right, y);
        }
    }
    painter.restore();
}

void CColorPickerCB::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawEntry(painter, field, currentIndex(), hasFocus(), isEnabled());
}

void CColorPickerCB::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    QComboBox::mousePressEvent(event);
}

CColorPickerCBLineStyle::CColorPickerCBLineStyle(QWidget* parent) : CColorPickerCB(parent) {}

void CColorPickerCBLineStyle::InitializeDefaultStyles() {
    Fill({{"01", 0}, {"02", 1}, {"03", 2}, {"04", 3}, {"05", 4}});
}

Qt::PenStyle CColorPickerCBLineStyle::PenStyleOf(int style) {
    switch (style) {
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    default:
        return Qt::SolidLine;
    }
}

QPen CColorPickerCBLineStyle::SamplePen(int value) const {
    QPen pen(waveform::ToQColor(GetColour()), 1, PenStyleOf(value));
    pen.setCosmetic(true);
    return pen;
}

CColorPickerCBLineWidth::CColorPickerCBLineWidth(QWidget* parent) : CColorPickerCB(parent) {}

void CColorPickerCBLineWidth::InitializeDefaultWidths() {
    Fill({{"00", 0},
          {"01", 1},
          {"02", 2},
          {"03", 3},
          {"04", 4},
          {"05", 5},
          {"06", 6},
          {"07", 7},
          {"08", 8},
          {"09", 9},
          {"10", 10},
          {"13", 13},
          {"17", 17}});
}

QPen CColorPickerCBLineWidth::SamplePen(int value) const {
    return QPen(QBrush(waveform::ToQColor(GetColour())), value, Qt::SolidLine, Qt::SquareCap);
}

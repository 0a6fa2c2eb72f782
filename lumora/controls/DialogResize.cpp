#include "DialogResize.h"

#include "DialogUnits.h"
#include "platform/ControlId.h"

#include <QResizeEvent>
#include <stdexcept>

namespace controls {
namespace {

constexpr unsigned kLayoutFlags = CDialogResize::SizeX | CDialogResize::SizeY | CDialogResize::MoveX |
                                  CDialogResize::MoveY | CDialogResize::Repaint;
constexpr DlgResizeMapEntry kEmptyMap[] = {{-1, 0}};

unsigned GroupCount(unsigned flags) {
    return (flags >> 16) & 0xFF;
}

} // namespace

CDialogResize::CDialogResize(unsigned templateId, QWidget* parent)
    : QDialog(parent), m_templateId(templateId) {}

CDialogResize::~CDialogResize() = default;

const DlgResizeMapEntry* CDialogResize::GetDlgResizeMap() const {
    return kEmptyMap;
}

QRect CDialogResize::ClientRect(const QWidget* control) const {
    if (control->parentWidget() == this)
        return control->geometry();
    return QRect(control->mapTo(this, QPoint(0, 0)), control->size());
}

void CDialogResize::DlgResize_Init() {
    // A dialog laid out by its map lives inside its host window.
    if (isWindow() && parentWidget() != nullptr) {
        const bool shown = isVisible();
        setWindowFlags(Qt::Widget);
        if (shown)
            show();
    }
    m_resizeData.clear();
    m_minTrackSize = QSize(-1, -1);
    m_clientSize = size();

    int groupStart = -1;
    for (const DlgResizeMapEntry* entry = GetDlgResizeMap(); entry != nullptr; ++entry) {
        if (entry->id == -1) {
            if (entry->flags == 0)
                break;
            if (entry->flags == BeginGroup) {
                groupStart = static_cast<int>(m_resizeData.size());
            } else if (entry->flags == EndGroup) {
                if (groupStart < 0 || groupStart >= static_cast<int>(m_resizeData.size()))
                    throw std::invalid_argument("resize map: group end without an open, non-empty group");
                AfxResizeData& first = m_resizeData[static_cast<std::size_t>(groupStart)];
                const unsigned count =
                    static_cast<unsigned>(m_resizeData.size()) - static_cast<unsigned>(groupStart);
                first.flags = (first.flags & ~0x00FF0000u) | ((count & 0xFF) << 16);
                groupStart = -1;
            }
            continue;
        }
        const QWidget* control = platform::FindControl(this, entry->id);
        if (control == nullptr)
            continue;
        const QRect rect = ClientRect(control);
        AfxResizeData data;
        data.id = entry->id;
        data.flags = entry->flags & 0xFFFF;
        if (groupStart == static_cast<int>(m_resizeData.size()))
            data.flags |= BeginGroup;
        data.left = rect.left();
        data.top = rect.top();
        data.right = rect.left() + rect.width();
        data.bottom = rect.top() + rect.height();
        m_resizeData.push_back(data);
    }
}

void CDialogResize::DlgResize_UpdateLayout(int cx, int cy) {
    const std::size_t count = m_resizeData.size();
    for (std::size_t i = 0; i < count;) {
        const AfxResizeData& entry = m_resizeData[i];
        if ((entry.flags & BeginGroup) == 0) {
            DlgResize_PositionControl(cx, cy, QRect(), entry, false, -1);
            ++i;
            continue;
        }
        const std::size_t members = std::min<std::size_t>(std::max(GroupCount(entry.flags), 1u), count - i);
        int left = entry.left, top = entry.top, right = entry.right, bottom = entry.bottom;
        for (std::size_t j = i; j < i + members; ++j) {
            left = std::min(left, m_resizeData[j].left);
            top = std::min(top, m_resizeData[j].top);
            right = std::max(right, m_resizeData[j].right);
            bottom = std::max(bottom, m_resizeData[j].bottom);
        }
        const QRect group(QPoint(left, top), QSize(right - left, bottom - top));
        for (std::size_t j = i; j < i + members; ++j) {
            const AfxResizeData& member = m_resizeData[j];
            int startOfNext = -1;
            if (j + 1 < i + members) {
                const AfxResizeData& next = m_resizeData[j + 1];
                if ((member.flags & SizeX) && (next.flags & SizeX)) {
                    const QWidget* thisControl = platform::FindControl(this, member.id);
                    const QWidget* nextControl = platform::FindControl(this, next.id);
                    if (thisControl && nextControl) {
                        const QRect a = ClientRect(thisControl);
                        const QRect b = ClientRect(nextControl);
                        if (b.left() >= a.left() + a.width())
                            startOfNext = next.left;
                    }
                } else if ((member.flags & SizeY) && (next.flags & SizeY)) {
                    const QWidget* thisControl = platform::FindControl(this, member.id);
                    const QWidget* nextControl = platform::FindControl(this, next.id);
                    if (thisControl && nextControl) {
                        const QRect a = ClientRect(thisControl);
                        const QRect b = ClientRect(nextControl);
                        if (b.top() >= a.top() + a.height())
                            startOfNext = next.top;
                    }
                }
            }
            DlgResize_PositionControl(cx, cy, group, member, true, startOfNext);
        }
        i += members;
    }
    update();
}

void CDialogResize::DlgResize_PositionControl(int cx, int cy, const QRect& group, const AfxResizeData& data,
                                              bool inGroup, int startOfNext) {
    QWidget* control = platform::FindControl(this, data.id);
    if (control == nullptr)
        return;
    const QRect current = ClientRect(control);
    int left = current.left(), top = current.top();
    int right = left + current.width(), bottom = top + current.height();
    const int dx = cx - m_clientSize.width();
    const int dy = cy - m_clientSize.height();
    const unsigned flags = data.flags;

    if (!inGroup) {
        if (flags & (SizeX | MoveX)) {
            right = data.right + dx;
            if (flags & MoveX)
                left = data.left + dx;
        }
        if (flags & (SizeY | MoveY)) {
            bottom = data.bottom + dy;
            if (flags & MoveY)
                top = data.top + dy;
        }
    } else {
        const int gl = group.left(), gt = group.top();
        const int w = group.width(), w2 = w + dx;
        const int h = group.height(), h2 = h + dy;
        if (flags & (SizeX | MoveX)) {
            left = gl + MulDiv(data.left - gl, w2, w);
            if (flags & SizeX) {
                if (startOfNext == -1)
                    right = gl + MulDiv(data.right - gl, w2, w);
                else
                    right = gl + MulDiv(startOfNext - gl, w2, w) + (data.right - startOfNext);
            } else {
                right = left + (data.right - data.left);
            }
        }
        if (flags & (SizeY | MoveY)) {
            top = gt + MulDiv(data.top - gt, h2, h);
            if (flags & SizeY) {
                if (startOfNext == -1)
                    bottom = gt + MulDiv(data.bottom - gt, h2, h);
                else
                    bottom = gt + MulDiv(startOfNext - gt, h2, h) + (data.bottom - startOfNext);
            } else {
                bottom = top + (data.bottom - data.top);
            }
        }
    }
    if (flags & Repaint)
        control->update();
    if (flags & kLayoutFlags) {
        QPoint topLeft(left, top);
        if (control->parentWidget() != this)
            topLeft = control->parentWidget()->mapFrom(this, topLeft);
        control->setGeometry(topLeft.x(), topLeft.y(), std::max(right - left, 0), std::max(bottom - top, 0));
    }
}

void CDialogResize::DlgResize_SetMinTrackSize(int cx, int cy) {
    m_minTrackSize = QSize(cx, cy);
    if (cx != -1 && cy != -1)
        setMinimumSize(cx, cy);
}

void CDialogResize::OnSize(unsigned type, int cx, int cy) {
    if (type != SIZE_MINIMIZED)
        DlgResize_UpdateLayout(cx, cy);
}

void CDialogResize::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    unsigned type = SIZE_RESTORED;
    if (isWindow() && isMinimized())
        type = SIZE_MINIMIZED;
    else if (isWindow() && isMaximized())
        type = SIZE_MAXIMIZED;
    OnSize(type, event->size().width(), event->size().height());
}

} // namespace controls

#include "PromptResources.h"

#include "platform/StringTable.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QStyle>
#include <mutex>

namespace promptkit {

QPixmap IconResource(int id, int side) {
    QStyle::StandardPixmap kind = QStyle::SP_MessageBoxInformation;
    switch (id) {
    case 8019:
    case 8020:
        kind = QStyle::SP_MessageBoxCritical;
        break;
    case 8009:
    case 8010:
    case 8022:
        kind = QStyle::SP_MessageBoxWarning;
        break;
    case 8023:
        kind = QStyle::SP_MessageBoxQuestion;
        break;
    default:
        break;
    }
    QPixmap pixmap = QApplication::style()->standardIcon(kind).pixmap(side, side);
    return pixmap;
}

void MessageBeep(unsigned type) {
    if (type != 0)
        QApplication::beep();
}

void CenterOverOwner(QDialog& dialog) {
    const QWidget* owner = dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr;
    QRect area;
    if (owner != nullptr && owner->isVisible())
        area = QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
    else if (const QScreen* screen = QApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        dialog.move(area.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
}

void RegisterPromptStrings() {
    static std::once_flag once;
    std::call_once(once, [] {
        platform::RegisterStrings({
            {8001, u"测量数据"},
            {8002, u"错误：非法的文件路径，请重新输入！"},
            {8003, u"错误：非法的选择项，请重试！"},
            {8004, u"资源文件"},
            {8005, u"表格文件"},
            {8006, u"错误：非法的字符串输入！"},
            {8007, u"操作正在进行，请稍后。。。"},
        });
    });
}

} // namespace promptkit

#include "PromptResources.h"

#include "platform/StringTable.h"

#include <QApplication>
#include <QDialog>
#include <QPainter>
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

QPixmap BitmapResource(int id) {
    if (id != 8018)
        return {};
    // A finished run: a green disc with a white tick.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1E, 0x7A, 0x2E), 1.5));
    painter.setBrush(QColor(0x3C, 0xB0, 0x4C));
    painter.drawEllipse(QRectF(1.5, 1.5, 29, 29));
    painter.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(9, 16.5), QPointF(14, 21.5), QPointF(23, 11)}));
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
            {34400, u"确定"},
            {34401, u"取消"},
            {34402, u"全部确定"},
            {34403, u"跳过"},
            {34404, u"警告"},
            {34405, u"不再显示"},
            {34406, u"空字段"},
            {34407, u"文本"},
            {34408, u"计数器"},
            {34409, u"日期时间"},
            {34410, u"文件扩展名"},
            {34411, u"输入文件名"},
            {34412, u"告警基本配置"},
            {34413, u"字段"},
            {34414, u"帮助"},
            {34415, u"运行结束"},
            {34416, u"信息"},
            {34417, u"提示"},
            {34418, u"终止"},
            {34419, u"返回等待"},
            {34420, u"状态"},
            {34421, u"任务"},
            {34422, u"关闭窗口"},
            {34423, u"退出程序"},
            {34424, u"请输入"},
            {34425, u"初始化参数配置..."},
            {34426, u"初始化软件界面配置..."},
            {34427, u"初始化仪器配置..."},
            {34428, u"与频谱分析仪建立连接..."},
            {34429, u"与监测接收机建立连接..."},
            {34430, u"加载数据..."},
        });
    });
}

} // namespace promptkit

#include "PromptResources.h"

#include "PromptStrings.h"
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
            {IDS_MEASUREMENT_DATA, u"测量数据"},
            {IDS_INVALID_PATH, u"错误：非法的文件路径，请重新输入！"},
            {IDS_INVALID_SELECTION, u"错误：非法的选择项，请重试！"},
            {IDS_RESOURCE_FILES, u"资源文件"},
            {IDS_TABLE_FILES, u"表格文件"},
            {IDS_INVALID_TEXT, u"错误：非法的字符串输入！"},
            {IDS_OPERATION_RUNNING, u"操作正在进行，请稍后。。。"},
            {IDS_OK, u"确定"},
            {IDS_CANCEL, u"取消"},
            {IDS_YES_ALL, u"全部确定"},
            {IDS_SKIP, u"跳过"},
            {IDS_WARNING, u"警告"},
            {IDS_DO_NOT_SHOW_AGAIN, u"不再显示"},
            {IDS_FIELD_EMPTY, u"空字段"},
            {IDS_FIELD_TEXT, u"文本"},
            {IDS_FIELD_COUNTER, u"计数器"},
            {IDS_FIELD_DATE_TIME, u"日期时间"},
            {IDS_FIELD_EXTENSION, u"文件扩展名"},
            {IDS_FILE_NAME_TITLE, u"输入文件名"},
            {IDS_FILE_NAME_GROUP, u"告警基本配置"},
            {IDS_FILE_NAME_FIELD, u"字段"},
            {IDS_HELP, u"帮助"},
            {IDS_RUN_FINISHED, u"运行结束"},
            {IDS_INFORMATION, u"信息"},
            {IDS_NOTICE, u"提示"},
            {IDS_ABORT, u"终止"},
            {IDS_BACK_TO_WAITING, u"返回等待"},
            {IDS_STATUS, u"状态"},
            {IDS_TASK, u"任务"},
            {IDS_CLOSE_WINDOW, u"关闭窗口"},
            {IDS_EXIT_PROGRAM, u"退出程序"},
            {IDS_PLEASE_ENTER, u"请输入"},
            {IDS_TASK_CONFIGURATION, u"初始化参数配置..."},
            {IDS_TASK_INTERFACE, u"初始化软件界面配置..."},
            {IDS_TASK_INSTRUMENTS, u"初始化仪器配置..."},
            {IDS_TASK_SPECTRUM_ANALYZER, u"与频谱分析仪建立连接..."},
            {IDS_TASK_MONITORING_RECEIVER, u"与监测接收机建立连接..."},
            {IDS_TASK_LOAD_DATA, u"加载数据..."},
        });
    });
}

} // namespace promptkit

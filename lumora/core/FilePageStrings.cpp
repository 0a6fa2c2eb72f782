#include "lumora/core/FilePageStrings.h"

#include "lumora/LumoraStrings.h"
#include "platform/StringTable.h"

void RegisterFilePageStrings() {
    platform::RegisterStrings({
        {IDS_LOGGING_TYPE_UNSUPPORTED, u"错误：不支持的文件类型，请选择 csv、txt、xls 或 bin 文件！"},
        {IDS_CURRENT_TYPE_UNSUPPORTED, u"错误：不支持的文件类型，请选择 csv、txt 或 xls 文件！"},
        {IDS_FILE_OPEN_WAVEFORM, u"打开波形文件..."},
        {IDS_FILE_SAVE_WAVEFORM, u"保存波形..."},
        {IDS_SAVE_SCREENSHOT, u"保存截图..."},
        {IDS_SAVE_LIST_DATA, u"保存列表数据..."},
        {IDS_FILE_PRINT, u"打印..."},
        {IDS_FILE_PRINT_DIRECT, u"快速打印"},
        {IDS_FILE_PRINT_PREVIEW, u"打印预览"},
        {IDS_OPEN_WAVEFORM_FILTER,
         u"CSV文件, Excel文件, 文本文件, 二进制数据文件 (*.csv *.xls *.bin *.txt);;CSV文件(*.csv);;"
         u"Excel文件 (*.xls);;文本文件(*.txt);;二进制数据文件(*.bin);;所有文件 (*.*)"},
        {IDS_SAVE_LOGGING_FILTER,
         u"CSV 文件(*.csv);;Excel 文件(*.xls);;文本文件(*.txt);;二进制数据文件(*.bin);;所有文件 (*.*)"},
        {IDS_SAVE_WAVEFORM_FILTER, u"CSV 文件(*.csv);;Excel 文件(*.xls);;文本文件(*.txt);;所有文件 (*.*)"},
        {IDS_SAVE_PICTURE, u"另存为图片..."},
        {IDS_BITMAP_FILTER, u"位图文件 (*.bmp)"},
        {IDS_TEXT_FILTER, u"文本文件 (*.txt)"},
        {IDS_LABEL_HORI, u"横坐标"},
        {IDS_LABEL_VERT, u"纵坐标"},
        {IDS_TEXT_DATA_FILTER, u"数据文本文件 (*.txt);;所有文件 (*.*)"},
        {IDS_VOLTAGE_AXIS_TIME, u"时间"},
        {IDS_VOLTAGE_AXIS_VOLTAGE, u"电压 (V)"},
        {IDS_CHART_VOLTAGE, u"电压波形曲线"},
        {IDS_REPORT_MEASURED, u"测量值"},
        {IDS_TOO_FEW_CCDF_POINTS, u"错误：CCDF 数据点太少，至少需要两个点！"},
        {IDS_PROGRESS_CANCEL, u" 取消 "},
        {IDS_PROGRESS_LOADING, u"数据处理，正在加载，请等待..."},
        {IDS_MENU_FILE, u"文件"},
        {IDS_PARSE_ERROR, u"错误：数据文件解析错误，可能是格式不匹配！"},
        {IDS_REPORT_STATISTICS, u"统计值"},
        {IDS_REPORT_MARKERS_VERT, u"垂直标记"},
        {IDS_REPORT_MARKERS_HORI, u"水平标记"},
    });
}

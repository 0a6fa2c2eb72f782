#pragma once

// Texts of the view, the file pages, the import and its progress window (strings 35000-35029).
void RegisterFilePageStrings();

// A save to a type the page does not write, on the data-logging page and on the current page (UTF-8).
// "错误：不支持的文件类型，请选择 csv、txt、xls 或 bin 文件！"
inline constexpr int kLoggingTypesId = 35000;
// "错误：不支持的文件类型，请选择 csv、txt 或 xls 文件！"
inline constexpr int kCurrentTypesId = 35001;

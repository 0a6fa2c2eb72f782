#pragma once

// The ids of the prompt library's string table. The numbers are those of the library's resources;
// the language library translates the same ids.
namespace promptkit {

enum : int {
    IDS_MEASUREMENT_DATA = 8001,
    IDS_INVALID_PATH = 8002,
    IDS_INVALID_SELECTION = 8003,
    IDS_RESOURCE_FILES = 8004,
    IDS_TABLE_FILES = 8005,
    IDS_INVALID_TEXT = 8006,
    IDS_OPERATION_RUNNING = 8007,

    // Buttons and captions the dialogs share.
    IDS_OK = 34400,
    IDS_CANCEL = 34401,
    IDS_HELP = 34414,

    // The yes-to-all message box.
    IDS_YES_ALL = 34402,
    IDS_SKIP = 34403,
    IDS_WARNING = 34404,
    IDS_DO_NOT_SHOW_AGAIN = 34405,

    // The file-name pattern editor: the field kinds in their list's order, then the dialog's texts.
    IDS_FIELD_EMPTY = 34406,
    IDS_FIELD_TEXT = 34407,
    IDS_FIELD_COUNTER = 34408,
    IDS_FIELD_DATE_TIME = 34409,
    IDS_FIELD_EXTENSION = 34410,
    IDS_FILE_NAME_TITLE = 34411,
    IDS_FILE_NAME_GROUP = 34412,
    IDS_FILE_NAME_FIELD = 34413,

    // The finish notice and the test case information.
    IDS_RUN_FINISHED = 34415,
    IDS_INFORMATION = 34416,
    IDS_NOTICE = 34417,
    IDS_ABORT = 34418,
    IDS_BACK_TO_WAITING = 34419,

    // The task progress window and its start-up tasks.
    IDS_STATUS = 34420,
    IDS_TASK = 34421,
    IDS_CLOSE_WINDOW = 34422,
    IDS_EXIT_PROGRAM = 34423,
    IDS_TASK_CONFIGURATION = 34425,
    IDS_TASK_INTERFACE = 34426,
    IDS_TASK_INSTRUMENTS = 34427,
    IDS_TASK_SPECTRUM_ANALYZER = 34428,
    IDS_TASK_MONITORING_RECEIVER = 34429,
    IDS_TASK_LOAD_DATA = 34430,

    // The text input dialog.
    IDS_PLEASE_ENTER = 34424,
};

} // namespace promptkit

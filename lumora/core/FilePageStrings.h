#pragma once

// Texts of the view, the file pages, the import and its progress window (IDS_LOGGING_TYPE_UNSUPPORTED to
// IDS_REPORT_MARKERS_HORI).
void RegisterFilePageStrings();

#pragma once

struct MainPreferences;

extern "C" {

// Runs the main preferences dialog on the record, which the pages edit in place: the caller passes a
// copy and keeps it only when the result is 1 (OK).
int SetPropertyMain(MainPreferences* record);
}

namespace optionsbox {

// The default folders and switches (LogFileName is left as it is).
void SetDefaultPaths(MainPreferences& record);
// FixedFormat and ExponentFormat from Digits.
void MakeNumberFormats(MainPreferences& record);
// ExponentResolution from EFormat_Little, ExponentLimit from EFormat_Big.
void MakeExponentThresholds(MainPreferences& record);

} // namespace optionsbox

#pragma once

// Texts of the view, the file pages, the import and its progress window (strings 35000-35029).
void RegisterFilePageStrings();

#pragma once

#include <QString>

namespace controls {

// How a list column compares two cell texts when it sorts.
enum eListSortType : int {
    eSortNone = 0,
    eSortInteger = 1,
    eSortDouble = 2,
    eSortText = 3,
    eSortNumberOrText = 4,
    eSortTextNoCase = 5,
    eSortNumberOrTextNoCase = 6,
    eSortDate = 7,
};

// Negative when a sorts before b, 0 when equal, positive after. Unknown types compare as text.
int CompareListTexts(int type, const QString& a, const QString& b);

// A date and time in the user's locale (or ISO form) as days on a linear scale from 1899-12-30;
// false when the text is no date.
bool ParseListDate(const QString& text, double& days);

} // namespace controls

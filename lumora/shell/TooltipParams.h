#pragma once

namespace shell {

// The program's tooltips are at most this many pixels wide: a longer text is shown in lines. The
// owner-drawn buttons keep their own, wider tooltips.
constexpr int kTooltipMaxWidth = 200;

// Makes every plain-text tooltip of the program wrap at the width, from now on; a later call sets
// another width.
void SetTooltipParams(int maxWidth);

} // namespace shell

#pragma once

// Round values for axis limits and grid steps.
namespace waveform {

double GetAdjacentScaleVertUpper(double x);
double GetAdjacentScaleVertLower(double x);
double GetAdjacentScaleVertCenter(double x);

// The grid step for a span (1, 2, 2.5 or 5 times a power of ten); 'value' becomes the nearest multiple of
// the step towards zero. A span that is not a positive finite number has no step: 0 is returned and
// 'value' is left as it is.
double AlignAxisY(double span, double& value);

} // namespace waveform

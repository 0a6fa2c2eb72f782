#pragma once

#include <cstddef>
#include <vector>

// The complementary cumulative distribution of a set of current readings, as the CCDF window plots it.
namespace tailplot {

// Readings above this are the instrument's overflow value (9.9e37), not measurements.
constexpr double kOverflowReading = 1e37;

// X: bin centres (amplitude); Y: percent of the readings at or above the bin's lower edge.
struct CCcdfCurve {
    std::vector<double> X;
    std::vector<double> Y;
};

// Number of histogram bins for the readings that enter it: 100 above 1000, 50 above 200, 20 above
// 100, 10 above 50, 5 above 20, 2 above 5, else 0 (too few for a distribution).
unsigned CcdfBinCount(std::size_t n);

// Builds the CCDF of n samples into curve (emptied first) with one min/max pass and one counting pass.
// Every reading enters the bins, those of 0 or below too (a bin whose centre is not positive has no
// place on the logarithmic axes and is passed over where the curve is drawn, so the drawn curve starts
// below 100 % when there are such readings); the bin count follows the number of readings. Overflow
// readings (beyond kOverflowReading either way), infinities and NaN are no readings and count nowhere.
// Every bin has its point, an empty one too (at the share of the readings above it, so the curve stays
// flat where no reading lies). readings, when given, receives the number of readings.
// 1 when the curve holds points, 0 when it is empty (five readings or fewer, or all of them equal).
int ComputeCcdf(const double* samples, std::size_t n, CCcdfCurve& curve, std::size_t* readings = nullptr);

// A CCDF read from a file: n points of amplitude and percent taken as they are. 1 when at least two
// points were given (fewer cannot make a curve: curve is then emptied and the result is 0).
int SetCcdfPoints(const double* amplitudes, const double* percents, std::size_t n, CCcdfCurve& curve);

} // namespace tailplot

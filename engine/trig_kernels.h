// Vectorised trigonometric sums for the series theories.
//
// A scene evaluates some 2,800 periodic terms; calling the C library's cos
// one term at a time dominates the cost of a scene. These kernels work on
// four terms at a time with a polynomial cosine accurate to a few units in
// the last place, so the sums agree with term-by-term evaluation far below
// anything the charts or tables can show.
#pragma once

#include <string>
#include <vector>

namespace skyvane::engine {

// Terms are processed four at a time; arrays handed to the kernels hold a
// multiple of this many entries (pad with zero terms).
constexpr int kKernelWidth = 4;

constexpr int PaddedCount(int count)
{
    return (count + kKernelWidth - 1) / kKernelWidth * kKernelWidth;
}

// Sum over i < count of a[i] * cos(b[i] + c[i] * tau); count is a multiple
// of kKernelWidth.
double SumCosineSeries(const double* a, const double* b, const double* c, int count,
                       double tau);

// Several such sums over consecutive stretches of the same arrays in one
// call: series k covers [ends[k-1], ends[k]) (ends[-1] taken as 0), each
// end a multiple of kKernelWidth; sums[k] receives its sum.
void SumCosineSeriesRuns(const double* a, const double* b, const double* c, const int* ends,
                         int seriesCount, double tau, double* sums);

// sinOut[i] = sin(x[i]) and cosOut[i] = cos(x[i]) for i < count, count a
// multiple of kKernelWidth. Arguments in radians; accurate to the last place
// or two for |x| up to about 1e7 (the reduction by pi is exact for fewer
// than 2^20 half turns), degrading gracefully beyond.
void SinCosArrays(const double* x, double* sinOut, double* cosOut, int count);

// The builds of the kernels this processor can run, the one in use first
// ("x86-64-v3 clone", "baseline via pointer", "portable vectors", ...).
// Only where the choice is a function pointer (x86-64 outside ELF) is there
// more than one.
std::vector<std::string> SeriesKernelVariants();

// Makes the kernels use `name`, one of SeriesKernelVariants(); false, and
// nothing changes, for any other name. For tests that hold every build of
// the kernels to the plain sums.
bool UseSeriesKernelVariant(const std::string& name);

}  // namespace skyvane::engine

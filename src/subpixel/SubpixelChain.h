#pragma once
// SubpixelChain: the fixed-point filter chain of OSubpixelCalculation as free functions. Internal:
// not installed. The class's private operations of the same names call these, and the library's
// tests reach them through the library's objects (tests/subpixel).

namespace subpixelchain {

// The private chain works on the fixed-size arrays of one refinement: at most 7 grey samples,
// 13 half-sample values and 25 quarter-sample values. Each member rejects a null pointer or a
// count outside its array sizes (writing nothing, or a count of 0, or the peak -1.0), so no
// argument reads or writes out of bounds. Grey values are meant to lie in 0..255; others wrap
// around in the 32-bit fixed-point arithmetic, never overflowing a signed type.

// Refined position, in sample units 0.0 .. iCount - 1, of the strongest gradient of iCount
// (3..7) grey samples; iMaxGrey x 65536 is the upper clamp of the half-sample mean. The fifth
// int has no effect (callers pass the method). Answers 1 with the position in *pdPosition, or
// 0 with iFallback there (nothing written when pdPosition is null).
int iSubPixelTransition_6Tap(int* piGrey, int iCount, int iFallback, int iMaxGrey, int iUnused,
                             double* pdPosition);

// 2 * iCount - 1 half-sample values of iCount (1..7) grey samples: the samples themselves in
// fixed point at even indices, between them the six-tap filter (1, -5, 20, 20, -5, 1) / 32
// with the end samples repeated, negative sums giving 0 and no upper clamp. Writes the count
// to *piOutCount (0 when rejected).
void SixTapFilter_fp(int* piGrey, int iCount, unsigned int* puiOut, int* piOutCount);

// Three-tap mean of iCount (1..25) values: the two end values copied unclamped, every inner
// value the unsigned 32-bit sum of its neighbourhood divided by 3, at most uiClamp.
void MeanFilter_fp(unsigned int* puiIn, int iCount, unsigned int* puiOut, unsigned int uiClamp);

// 2 * iCount - 1 values from iCount (1..13): the inputs at even indices, the unsigned 32-bit
// mean (sum halved, rounding down) of each neighbouring pair between them.
void LinearInterpolation_fp(unsigned int* puiIn, int iCount, unsigned int* puiOut, int* piOutCount);

// Smoothed gradient magnitude of iCount (1..25) values: the 32-bit two's-complement magnitude
// of each difference to the value before (0 at both ends), then the three-tap mean clamped at
// 255 x 65536.
void FirstDeviation_fp(unsigned int* puiIn, int iCount, unsigned int* puiOut);

// Centre, in value indices, of the band around the first maximum of iCount (1..25) values in
// which the values stay at or above 90 % of it (truncated). Each side looks at most 7 values
// out and never at index 0; a side on which no value within that reach falls below the
// threshold ends at the maximum itself. -1.0 when all values are 0 or the maximum lies at
// index 0 or 1.
void GetPeakValue_fp(unsigned int* puiIn, int iCount, double* pdPeak);

}  // namespace subpixelchain

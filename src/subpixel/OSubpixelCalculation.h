#pragma once
// OSubpixelCalculation: the sub-pixel position of a grey-value transition on a path.
//
// A transition search finds an edge at an integer path index. CalculateTransitionOnPath refines
// it: it reads the seven grey values at path indices index - 3 .. index + 3 (the pixel that each
// position falls in, pixel i covering [i, i + 1)), upsamples them to quarter samples (a six-tap
// half-sample filter, a three-tap mean, a linear interpolation), takes the magnitude of the first
// difference, smoothed by the same mean, and reports the centre of the band around the strongest
// gradient in which the gradient stays at or above 90 % of its maximum. Rising and falling edges
// are treated alike (only the magnitude counts). All filtering is unsigned 16.16 fixed point
// (grey value x 65536) on fixed-size local arrays: nothing is allocated.
//
// The refined index is (index - 3) + offset, where offset is the band centre in sample units
// (0.0 .. 6.0, a multiple of 1/8). Quarter sample k of the difference stands for position k / 4,
// not the k / 4 - 1/8 halfway between the two values it compares, so the result lies 1/8 sample
// after the gradient centre: a clean step between samples 3 and 4 gives offset 3.625. On a
// blurred step the result lies within about 0.15 sample of the edge plus that eighth.
// The output point and angle are the path's GetVectorAt and GetAngle_RadAt (double overloads) at
// the refined index: on a line the angle is 0, on a circle the angle of the arc there.
//
// Bad input: the answer is 1 on success and 0 on failure, and a failure leaves the point and the
// angle exactly as they were. Failures are a method other than 1, a null image or path, an index
// below 3 or at or beyond GetCount() - 3 (rejected before the image is read), a sample outside
// the image (the no-value marker), a profile without a usable gradient peak (constant, or its
// maximum at quarter sample 0 or 1), and a path that refuses the refined index or its angle.
// The seven integer queries of the path are not checked: a path that refuses an index inside
// 0..GetCount() leaves that sample's point at the origin.
//
// The class holds no state; concurrent calls are fine as long as they do not share a path.
//
//   OVectorPath_Line line(OVector(0.5, 10.5), OVector(100.5, 10.5));
//   int index = ...;            // from a transition search on the line
//   OVector point;
//   double angle = 0.0;
//   if (OSubpixelCalculation::CalculateTransitionOnPath(&image, &line, 1, index, point, angle)) {
//       // point: on the line at the refined index; angle: 0 on a line
//   }

#include "EdgeDetectionExport.h"
#include "foundation/OVector.h"

class OType_Image;
class OVectorPath;

class EDGEDETECTION_EXPORT OSubpixelCalculation {
  public:
    // The one supported refinement method: the six-tap chain described above.
    static constexpr int kMethodSixTap = 1;

    // Refines the transition at path index iIndex (see the header comment). iMethod must be
    // kMethodSixTap. Answers 1 and writes vPoint and dAngle on success; answers 0 and leaves both
    // untouched on failure.
    static int CalculateTransitionOnPath(OType_Image* pImage, OVectorPath* pPath, int iMethod,
                                         int iIndex, OVector& vPoint, double& dAngle);

  private:
    // The private chain works on the fixed-size arrays of one refinement: at most 7 grey samples,
    // 13 half-sample values and 25 quarter-sample values. Each member rejects a null pointer or a
    // count outside its array sizes (writing nothing, or a count of 0, or the peak -1.0), so no
    // argument reads or writes out of bounds. Grey values are meant to lie in 0..255; others wrap
    // around in the 32-bit fixed-point arithmetic, never overflowing a signed type.

    // Refined position, in sample units 0.0 .. iCount - 1, of the strongest gradient of iCount
    // (3..7) grey samples; iMaxGrey x 65536 is the upper clamp of the half-sample mean. The fifth
    // int has no effect (callers pass the method). Answers 1 with the position in *pdPosition, or
    // 0 with iFallback there (nothing written when pdPosition is null).
    static int iSubPixelTransition_6Tap(int* piGrey, int iCount, int iFallback, int iMaxGrey,
                                        int iUnused, double* pdPosition);

    // 2 * iCount - 1 half-sample values of iCount (1..7) grey samples: the samples themselves in
    // fixed point at even indices, between them the six-tap filter (1, -5, 20, 20, -5, 1) / 32
    // with the end samples repeated, negative sums giving 0 and no upper clamp. Writes the count
    // to *piOutCount (0 when rejected).
    static void SixTapFilter_fp(int* piGrey, int iCount, unsigned int* puiOut, int* piOutCount);

    // Three-tap mean of iCount (1..25) values: the two end values copied unclamped, every inner
    // value the unsigned 32-bit sum of its neighbourhood divided by 3, at most uiClamp.
    static void MeanFilter_fp(unsigned int* puiIn, int iCount, unsigned int* puiOut,
                              unsigned int uiClamp);

    // 2 * iCount - 1 values from iCount (1..13): the inputs at even indices, the unsigned 32-bit
    // mean (sum halved, rounding down) of each neighbouring pair between them.
    static void LinearInterpolation_fp(unsigned int* puiIn, int iCount, unsigned int* puiOut,
                                       int* piOutCount);

    // Smoothed gradient magnitude of iCount (1..25) values: the 32-bit two's-complement magnitude
    // of each difference to the value before (0 at both ends), then the three-tap mean clamped at
    // 255 x 65536.
    static void FirstDeviation_fp(unsigned int* puiIn, int iCount, unsigned int* puiOut);

    // Centre, in value indices, of the band around the first maximum of iCount (1..25) values in
    // which the values stay at or above 90 % of it (truncated). Each side looks at most 7 values
    // out and never at index 0; a side on which no value within that reach falls below the
    // threshold ends at the maximum itself. -1.0 when all values are 0 or the maximum lies at
    // index 0 or 1.
    static void GetPeakValue_fp(unsigned int* puiIn, int iCount, double* pdPeak);

    friend struct OSubpixelCalculationTestAccess;
};

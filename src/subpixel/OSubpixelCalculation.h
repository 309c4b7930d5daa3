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
    // The filter chain of one refinement, on fixed-size local arrays (at most 7 grey samples, 13
    // half-sample and 25 quarter-sample values); each step calls its free counterpart in
    // subpixel/SubpixelChain.h (internal), which documents it and where the tests reach it.
    static int iSubPixelTransition_6Tap(int* piGrey, int iCount, int iFallback, int iMaxGrey,
                                        int iUnused, double* pdPosition);
    static void SixTapFilter_fp(int* piGrey, int iCount, unsigned int* puiOut, int* piOutCount);
    static void MeanFilter_fp(unsigned int* puiIn, int iCount, unsigned int* puiOut,
                              unsigned int uiClamp);
    static void LinearInterpolation_fp(unsigned int* puiIn, int iCount, unsigned int* puiOut,
                                       int* piOutCount);
    static void FirstDeviation_fp(unsigned int* puiIn, int iCount, unsigned int* puiOut);
    static void GetPeakValue_fp(unsigned int* puiIn, int iCount, double* pdPeak);
};

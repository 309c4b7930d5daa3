#pragma once
// OCannyEdge: a one-dimensional, integer Canny edge detector over a grey-value profile.
//
// bFindCannyEdgeTransitions turns a profile (grey values sampled along a path) into its
// transition function, one result value per profile sample:
//   - smoothing with a 5-tap integer Gaussian, one row of a fixed kernel table chosen by a sigma
//     index (row r belongs to sigma 0.8 + 0.1 * r; row 2 is sigma 1.0);
//   - a central-difference gradient, positive where the grey value rises along the profile;
//   - thinning: every run of samples whose gradient magnitude reaches the threshold is reduced to
//     its one peak sample (of equal maxima the first), which carries the run's magnitude.
//
// Polarity of the result (bKeepMagnitudes false): every sample holds a level, 0 or 1, except the
// peak sample of each edge, which holds the edge's gradient magnitude (threshold..255). Level 1
// marks the dark side: it holds before a rising edge and after a falling one. Only the sign of the
// first edge decides the starting level; after that the level toggles at every edge. With
// bKeepMagnitudes true every sample holds its absolute gradient instead (a strong sample alone at
// the very last index gets the level, 0 or 1, in both modes).
//
// Missing samples: the no-value marker -2147483648 splits the profile into independent segments.
// Each segment is smoothed with its own end values repeated, never with its neighbours; marker
// samples get gradient 0. Other values use their low byte only (256 acts as 0, -1 as 255).
//
// Bad input: an empty profile answers false with an empty result (so does a profile of more
// than 2147483647 samples, whose int count reads 0). A threshold below 1 acts as 1.
// A kernel row outside 0..12 makes every segment contribute nothing: the call answers true and
// the result holds only the zeros of the marker runs. A result that cannot get storage answers
// false. Nothing is thrown, nothing is read out of bounds.
//
//   WritableCollection<int> profile;   // grey values, e.g. read along a path
//   WritableCollection<int> transitions;
//   if (OCannyEdge::bFindCannyEdgeTransitions(profile, 20, 2, transitions)) {
//       // transitions.GetAt(k) belongs to profile sample k
//   }

#include "EdgeDetectionExport.h"
#include "foundation/WritableCollection.h"

class EDGEDETECTION_EXPORT OCannyEdge {
  public:
    OCannyEdge() = default;
    virtual ~OCannyEdge();

    // Fills `result` with the transition function of `profile` (see the header comment).
    // iThreshold: least gradient magnitude of an edge (values below 1 act as 1).
    // iSigmaIndex: row of the smoothing kernel table, 0..12 (2 is sigma 1.0).
    // Answers true when the result was built, false for an empty profile or a failed allocation.
    static bool bFindCannyEdgeTransitions(WritableCollection<int>& profile, int iThreshold,
                                          int iSigmaIndex, WritableCollection<int>& result,
                                          bool bKeepMagnitudes = false);

  private:
    // The library's paths hand their profiles over as padded bytes.
    friend class OVectorPath;

    // The transition function in levels mode of a profile without missing samples, held as grey
    // bytes with two copies of its first value before and of its last value after it (m + 4
    // bytes for m samples): what bFindCannyEdgeTransitions gives for those m values, without
    // converting them from int first. False, with an empty result, for fewer than one sample or a
    // failed allocation. `padded` is read, not changed.
    static bool FindTransitionsOfPaddedBytes(WritableCollection<unsigned char>& padded,
                                             int iThreshold, int iSigmaIndex,
                                             WritableCollection<int>& result);

    // Smooths one padded segment and appends its m central differences to `result`; nothing for a
    // kernel row outside 0..12. False when a buffer could not get storage.
    static bool AppendSegmentGradients(WritableCollection<unsigned char>& padded, int iSigmaIndex,
                                       WritableCollection<int>& result);

    // Smooths `input` with kernel row `iKernelRow` into `output` (cleared first): output[t] is the
    // smoothed value of input[t + 1], for t = 1..N-4, and the two end bytes repeat their
    // neighbours, so N input bytes give N - 2 output bytes. A row outside 0..12 or fewer than 5
    // input bytes give an empty output.
    static void ApplyGaussFilter(WritableCollection<unsigned char>& input, int iKernelRow,
                                 WritableCollection<unsigned char>& output);

    // Appends the N - 2 central differences input[t + 2] - input[t], limited to -255..255, to
    // `output`. Fewer than 3 input bytes append nothing.
    static void ApplySobelFilter(WritableCollection<unsigned char>& input,
                                 WritableCollection<int>& output);

    // Thins the gradients in `data` in place to one peak per run of strong samples (magnitude at
    // least iThreshold), writing levels or magnitudes as bFindCannyEdgeTransitions describes.
    static void SkeletoniseEdgePoints(WritableCollection<int>& data, int iThreshold,
                                      bool bKeepMagnitudes);

    // Appends the integer weights of a Gaussian sampled at steps of 1 / fScale over +-3 units
    // (an odd count of about 6 * fScale weights), scaled so that the outermost weight is 1, to
    // `factors` (not cleared first) and stores their sum in `sum`. For fScale 0.75 these are the
    // rows of m_iaFilterKernel. Answers 1 on success; 0 with sum 0 and nothing appended for
    // fScale 0, when the temporary array cannot be allocated, and for input outside the
    // function's domain (a non-positive, huge or non-finite width, or weights that do not fit an
    // unsigned int, as for a sigma of 0 or so small that the outermost weight vanishes).
    static int iCalcGaussFactors(float fScale, float fSigma,
                                 WritableCollection<unsigned int>& factors, int& sum);

    // Smoothing kernels: column 0 the divisor (the sum of the weights, so that a smoothed byte
    // stays a byte), columns 1..5 the weights for the samples at offsets -2..+2. Row r belongs to
    // sigma 0.8 + 0.1 * r: what iCalcGaussFactors gives for fScale 0.75 and fSigma 0.8 + 0.1 * r
    // (the weights, and their sum as the divisor). Kept as literal values because they are the
    // library's normative kernels; the tests recompute every row. The table is a compile-time
    // constant so that each row is smoothed with constant weights and divisor.
    static constexpr int m_iaFilterKernel[13][6] = {
        {391, 1, 65, 259, 65, 1},  // sigma 0.8
        {137, 1, 27, 81, 27, 1},   // sigma 0.9
        {65, 1, 14, 35, 14, 1},    // sigma 1.0
        {39, 1, 9, 19, 9, 1},      // sigma 1.1
        {26, 1, 6, 12, 6, 1},      // sigma 1.2
        {20, 1, 5, 8, 5, 1},       // sigma 1.3
        {16, 1, 4, 6, 4, 1},       // sigma 1.4
        {13, 1, 3, 5, 3, 1},       // sigma 1.5
        {12, 1, 3, 4, 3, 1},       // sigma 1.6
        {11, 1, 3, 3, 3, 1},       // sigma 1.7
        {9, 1, 2, 3, 2, 1},        // sigma 1.8
        {9, 1, 2, 3, 2, 1},        // sigma 1.9: the same as 1.8, kept so that the index keeps its
                                   // meaning
        {8, 1, 2, 2, 2, 1},        // sigma 2.0
    };
    // The row of m_iaFilterKernel for sigma 1.0. Exported with the class for its callers; nothing
    // inside the library reads it.
    static const int m_iIndexForSigma10 = 2;
};

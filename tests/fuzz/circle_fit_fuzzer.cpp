// Fuzz target: OCircleFit_OutlierFilter::bComputeCircleFit on arbitrary point lists, modes and
// filter settings.
//
// Input, in order: mode, filter type and passes; the five figure flags (one byte); sigma factor;
// the guess (centre, radius, sigma, iterations); then points (two doubles each: duplicates,
// collinear, huge, NaN, infinite) until the bytes run out or kMaxPoints are read. The point count
// is bounded to keep one input fast: every filter pass refits, and a fit may take a thousand
// iterations over all points.
//
// Rules: false leaves the counts at 0, every figure at 0 or false and both arrays untouched.
// True: inliers and rejected points are the input points again (as raw points, a multiset), at
// least three of them inliers, counted right; the circle is finite, and plausible in the modes
// from 3 on; a figure is found only when asked for in such a mode; deviations are not negative.

#include <algorithm>
#include <cmath>
#include <vector>

#include "FuzzInput.h"
#include "ResultArrays.h"
#include "circlefit/OCircleFit_OutlierFilter.h"

namespace {

constexpr std::size_t kMaxPoints = 64;
constexpr int kCheckedMode = OCircleFit_OutlierFilter::kModeChecked;
constexpr int kMinInliers = 3;
constexpr double kMaxCentreCoordinate = 10000.0;
constexpr double kMaxRadius = 20000.0;
// The figures in the order of the call: maximum deviation, innermost and outermost point, each a
// value, its point and its circle point; then the two standard deviations.
constexpr int kFigureCount = 17;
constexpr int kSigmaAll = 15;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const int mode = in.Int();
    const int filterType = in.Int();
    const int passes = in.Int();
    const std::uint8_t wants = in.U8();
    const auto want = [wants](int bit) { return (wants >> bit & 1u) != 0; };
    const double factor = in.Double();
    OCircleFit_Circle circle{in.Double(), in.Double(), in.Double(), in.Double(), in.Int()};
    OFastArrayList<double> xs(kMaxPoints), ys(kMaxPoints);
    std::vector<RawPoint> expected;
    while (in.Remaining() > 0 && expected.size() < kMaxPoints) {
        const double x = in.Double(), y = in.Double();
        xs.Add(x);
        ys.Add(y);
        expected.emplace_back(OVector(x, y).GetRawX(), OVector(x, y).GetRawY());
    }

    OVector_Array inliers, outliers;
    MarkUntouched(inliers);
    MarkUntouched(outliers);
    int inlierCount = -1, outlierCount = -1;
    bool found[3] = {true, true, true};
    double d[kFigureCount];
    std::fill(std::begin(d), std::end(d), 1.0);
    const bool fitted = OCircleFit_OutlierFilter::bComputeCircleFit(
        mode, xs, ys, want(0), want(1), want(2), want(3), want(4), filterType, passes, factor,
        circle, &inliers, &outliers, inlierCount, outlierCount, found[0], d[0], d[1], d[2], d[3],
        d[4], found[1], d[5], d[6], d[7], d[8], d[9], found[2], d[10], d[11], d[12], d[13], d[14],
        d[15], d[16], [] { return true; });

    if (!fitted) {
        FuzzRequire(
            inlierCount == 0 && outlierCount == 0 && !found[0] && !found[1] && !found[2] &&
                std::all_of(std::begin(d), std::end(d), [](double v) { return v == 0.0; }) &&
                IsUntouched(inliers) && IsUntouched(outliers),
            "a failed fit left counts, figures or arrays");
        return 0;
    }
    FuzzRequire(inlierCount >= kMinInliers && inlierCount == inliers.GetCount() &&
                    outlierCount == outliers.GetCount(),
                "fewer than three inliers, or counts that differ from the arrays");
    FuzzRequire(AreThePoints(expected, inliers, outliers), "inliers, outliers not the points");

    const bool checked = mode >= kCheckedMode;
    FuzzRequire(std::isfinite(circle.m_dCenterX) && std::isfinite(circle.m_dCenterY) &&
                    std::isfinite(circle.m_dRadius) &&
                    (!checked || (std::fabs(circle.m_dCenterX) <= kMaxCentreCoordinate &&
                                  std::fabs(circle.m_dCenterY) <= kMaxCentreCoordinate &&
                                  std::fabs(circle.m_dRadius) <= kMaxRadius)),
                "a fitted circle that is not finite, or implausible in a checked mode");
    for (int k = 0; k < 3; ++k) {
        FuzzRequire(!found[k] || (checked && want(k)), "an unasked figure was found");
    }
    FuzzRequire(d[kSigmaAll] >= 0.0 && d[kSigmaAll + 1] >= 0.0, "a negative or NaN deviation");
    return 0;
}

// Fuzz target: OCircleFit_OutlierFilter::bComputeCircleFit on arbitrary point lists, modes and
// filter settings.
//
// Input, in order (draws of FuzzInput): mode, the five figure flags, filter type, filter passes,
// sigma factor, the guess (centre, radius, sigma, iterations), a base circle, a byte that may make
// the two lists differ in length, then points until the bytes run out or kMaxPoints are read.
// Each point is a duplicate of an earlier one, a point on the base circle at a byte's angle, a
// point on the line through the first two points, or any two doubles (NaN, infinities, huge and
// subnormal values included).
//
// The point count is bounded so that one input stays fast: every filter pass refits, and each fit
// may take a thousand iterations over all points. Nothing else is bounded.
//
// Rules checked:
// - false leaves the counts at 0, every figure at 0 or false and both result arrays untouched;
// - true: the inliers and the rejected points are, as points in raw units, the input points again
//   (as a multiset), at least three of them inliers; the counts match the arrays; the circle is
//   finite, and within the plausibility limits for the modes from 3 on; a figure is found only
//   when asked for in a mode from 3 on; the standard deviations are not negative.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "FuzzInput.h"
#include "ResultArrays.h"
#include "circlefit/OCircleFit_OutlierFilter.h"

namespace {

constexpr std::size_t kMaxPoints = 64;
constexpr int kCheckedMode = 3;
constexpr int kMinInliers = 3;
constexpr double kMaxCentreCoordinate = 10000.0;
constexpr double kMaxRadius = 20000.0;
constexpr double kTwoPi = 6.283185307179586;
constexpr int kAngleSteps = 256;

struct Figures {
    bool maxDevFound = true;
    double maxDev = 1, maxDevX = 1, maxDevY = 1, maxDevCX = 1, maxDevCY = 1;
    bool innerFound = true;
    double inner = 1, innerX = 1, innerY = 1, innerCX = 1, innerCY = 1;
    bool outerFound = true;
    double outer = 1, outerX = 1, outerY = 1, outerCX = 1, outerCY = 1;
    double sigmaAll = 1, sigmaInliers = 1;

    bool AllZero() const {
        const double values[] = {maxDev, maxDevX, maxDevY, maxDevCX, maxDevCY,    inner,
                                 innerX, innerY,  innerCX, innerCY,  outer,       outerX,
                                 outerY, outerCX, outerCY, sigmaAll, sigmaInliers};
        return !maxDevFound && !innerFound && !outerFound &&
               std::all_of(std::begin(values), std::end(values), [](double v) { return v == 0.0; });
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const int mode = input.Bool() ? input.IntInRange(-1, 5) : input.AnyInt();
    const bool wantMaxDev = input.Bool();
    const bool wantInner = input.Bool();
    const bool wantOuter = input.Bool();
    const bool wantSigmaAll = input.Bool();
    const bool wantSigmaInliers = input.Bool();
    const int filterType = input.Bool() ? input.IntInRange(0, 2) : input.AnyInt();
    const int passes = input.Bool() ? input.IntInRange(-1, 8) : input.AnyInt();
    const double factor = input.AnyDouble();
    const double guessX = input.AnyDouble();
    const double guessY = input.AnyDouble();
    const double guessR = input.AnyDouble();
    const double guessSigma = input.AnyDouble();
    OCircleFit_Circle circle(guessX, guessY, guessR, guessSigma, input.AnyInt());
    const double baseX = input.AnyDouble();
    const double baseY = input.AnyDouble();
    const double baseR = input.AnyDouble();
    const bool unequalLists = input.U8() == 0xFF;

    std::vector<std::pair<double, double>> points;
    while (input.Remaining() > 0 && points.size() < kMaxPoints) {
        const int kind = input.U8() % 8;
        if (kind == 0 && !points.empty()) {
            points.push_back(points[input.U8() % points.size()]);
        } else if (kind <= 3) {
            const double angle = kTwoPi * input.U8() / kAngleSteps;
            points.emplace_back(baseX + baseR * std::cos(angle), baseY + baseR * std::sin(angle));
        } else if (kind == 4 && points.size() >= 2) {
            const double t = input.AnyDouble();
            const auto& [x0, y0] = points[0];
            const auto& [x1, y1] = points[1];
            points.emplace_back(x0 + t * (x1 - x0), y0 + t * (y1 - y0));
        } else {
            const double x = input.AnyDouble();
            points.emplace_back(x, input.AnyDouble());
        }
    }

    const auto n = static_cast<std::int64_t>(points.size());
    OFastArrayList<double> xs(n);
    OFastArrayList<double> ys(n + 1);
    for (const auto& [x, y] : points) {
        xs.Add(x);
        ys.Add(y);
    }
    if (unequalLists) {
        ys.Add(0.0);
    }

    OVector_Array inliers;
    OVector_Array outliers;
    MarkUntouched(inliers);
    MarkUntouched(outliers);
    int inlierCount = -1;
    int outlierCount = -1;
    Figures f;
    const bool fitted = OCircleFit_OutlierFilter::bComputeCircleFit(
        mode, xs, ys, wantMaxDev, wantInner, wantOuter, wantSigmaAll, wantSigmaInliers, filterType,
        passes, factor, circle, &inliers, &outliers, inlierCount, outlierCount, f.maxDevFound,
        f.maxDev, f.maxDevX, f.maxDevY, f.maxDevCX, f.maxDevCY, f.innerFound, f.inner, f.innerX,
        f.innerY, f.innerCX, f.innerCY, f.outerFound, f.outer, f.outerX, f.outerY, f.outerCX,
        f.outerCY, f.sigmaAll, f.sigmaInliers, [] { return true; });

    if (!fitted) {
        FUZZ_REQUIRE(inlierCount == 0 && outlierCount == 0, "a failed fit left counts");
        FUZZ_REQUIRE(f.AllZero(), "a failed fit left figures");
        FUZZ_REQUIRE(IsUntouched(inliers) && IsUntouched(outliers),
                     "a failed fit touched the arrays");
        return 0;
    }

    FUZZ_REQUIRE(!unequalLists, "lists of different lengths were fitted");
    FUZZ_REQUIRE(inlierCount == inliers.GetCount() && outlierCount == outliers.GetCount(),
                 "counts differ from the arrays");
    FUZZ_REQUIRE(inlierCount >= kMinInliers, "fewer than three inliers");
    std::vector<RawPoint> expected;
    for (const auto& [x, y] : points) {
        const OVector point(x, y);
        expected.emplace_back(point.GetRawX(), point.GetRawY());
    }
    std::vector<RawPoint> got = RawPointsOf(inliers);
    const std::vector<RawPoint> rejected = RawPointsOf(outliers);
    got.insert(got.end(), rejected.begin(), rejected.end());
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    FUZZ_REQUIRE(got == expected, "inliers and outliers are not the input points");

    FUZZ_REQUIRE(std::isfinite(circle.m_dCenterX) && std::isfinite(circle.m_dCenterY) &&
                     std::isfinite(circle.m_dRadius),
                 "a fitted circle that is not finite");
    const bool checked = mode >= kCheckedMode;
    if (checked) {
        FUZZ_REQUIRE(std::fabs(circle.m_dCenterX) <= kMaxCentreCoordinate &&
                         std::fabs(circle.m_dCenterY) <= kMaxCentreCoordinate &&
                         std::fabs(circle.m_dRadius) <= kMaxRadius,
                     "an implausible circle in a checked mode");
    }
    FUZZ_REQUIRE(!f.maxDevFound || (checked && wantMaxDev), "an unasked deviation was found");
    FUZZ_REQUIRE(!f.innerFound || (checked && wantInner), "an unasked inner point was found");
    FUZZ_REQUIRE(!f.outerFound || (checked && wantOuter), "an unasked outer point was found");
    FUZZ_REQUIRE(f.sigmaAll >= 0.0 && f.sigmaInliers >= 0.0, "a negative or NaN deviation");
    return 0;
}

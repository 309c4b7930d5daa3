// Fuzz target: OVector_Regression::bComputeRegressionLine on arbitrary point lists with every
// mode, filter type, search level and inlier distance.
//
// Input, in order: mode, filter type, passes, inlier distance, search level; the three figure
// flags; sigma factor; then points until the bytes run out: a byte kEmptySlot for an
// empty slot, any other followed by two raw coordinates. The count is bounded to keep one input
// fast: kMaxPointsCubic for the DETSAC filters (they visit every pair for every point), kMaxPoints
// otherwise.
//
// Rules: the callback is never called. False leaves the angle and the counts at 0 (1 inlier for
// a single point), the figures reset and the outlier array untouched. True: the inliers (in the
// caller's array, in input order) and the outliers are the input points again as a multiset,
// with coordinates just left of the image (-65535..-1 raw) moved to 0; the counts match; DETSAC
// keeps the points that a plain search over every scheduled pair keeps; the angle is finite; the
// farthest point only when asked for in a mode from 3 on; deviations are not negative.

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "FuzzInput.h"
#include "RegressionTestSupport.h"
#include "ResultArrays.h"

namespace {

constexpr std::size_t kMaxPoints = 1024;
constexpr std::size_t kMaxPointsCubic = 96;
constexpr int kQualityMode = OVector_Regression::kModeQualityFigures;
constexpr std::uint8_t kEmptySlot = 0xFF;
// Raw coordinates from here to -1 lie less than a pixel left of (or above) the image.
constexpr std::int64_t kFirstMovedToZero = -65535;

std::int64_t MovedOntoImage(std::int64_t raw) {
    return raw >= kFirstMovedToZero && raw < 0 ? 0 : raw;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    RegressionCall call({});
    call.mode = in.Int();
    call.filter = in.Int();
    call.iterations = in.Int();
    call.inlierDistance = in.Int();
    call.searchLevel = in.Int();
    call.farthest = in.Bool();
    call.sigmaAll = in.Bool();
    call.sigmaInliers = in.Bool();
    call.sigmaFactor = in.Double();
    const bool cubic = call.filter == OVector_Regression::kFilterDETSAC ||
                       call.filter == OVector_Regression::kFilterDETSAC_FPGA;
    std::size_t count = 0;
    std::vector<RawPoint> expected;
    for (; in.Remaining() > 0 && count < (cubic ? kMaxPointsCubic : kMaxPoints); ++count) {
        if (in.U8() == kEmptySlot) {
            call.points.Add(nullptr);
            continue;
        }
        const OVector point{in.Raw(), in.Raw()};
        call.points.Add(std::make_shared<OVector>(point));
        expected.emplace_back(MovedOntoImage(point.GetRawX()), MovedOntoImage(point.GetRawY()));
    }
    MarkUntouched(call.outliers);
    call.Run();
    FuzzRequire(call.callbackCalls == 0, "the callback was called");

    if (!call.ok) {
        FuzzRequire((call.inlierCount == 0 || (count == 1 && call.inlierCount == 1)) &&
                        call.angle == 0.0 && call.outlierCount == 0 && !call.found &&
                        call.maxDistance == 0 && call.farthestX == 0 && call.farthestY == 0 &&
                        call.footX == 0.0 && call.footY == 0.0 && call.sigmaAllOut == 0.0 &&
                        call.sigmaInliersOut == 0.0 && IsUntouched(call.outliers),
                    "a failed fit left counts, figures or the outlier array");
        return 0;
    }
    FuzzRequire(expected.size() == count, "a point list with an empty slot was fitted");
    FuzzRequire(call.inlierCount >= 1 && call.inlierCount == call.points.GetCount() &&
                    call.outlierCount == call.outliers.GetCount(),
                "counts differ from the arrays");
    // The inliers keep the input order.
    auto next = expected.begin();
    for (const RawPoint& point : RawPointsOf({&call.points})) {
        next = std::find(next, expected.end(), point);
        FuzzRequire(next != expected.end(), "inliers out of input order or not input points");
        ++next;
    }
    FuzzRequire(AreThePoints(expected, call.points, call.outliers),
                "inliers and outliers are not the input points");
    if (call.filter == OVector_Regression::kFilterDETSAC) {
        // Exactly the points of the pair that the plain search finds stay.
        const auto plain = PlainDETSACInliers(expected, call.inlierDistance, call.searchLevel);
        std::vector<RawPoint> inliers;
        for (std::size_t k = 0; plain && k < expected.size(); ++k) {
            if ((*plain)[k]) {
                inliers.push_back(expected[k]);
            }
        }
        FuzzRequire(plain && RawPointsOf({&call.points}) == inliers,
                    "DETSAC kept other points than the plain search");
    }
    FuzzRequire(std::isfinite(call.angle), "an angle that is not finite");
    FuzzRequire(!call.found || (call.mode >= kQualityMode && call.farthest),
                "an unasked farthest point");
    FuzzRequire(call.sigmaAllOut >= 0.0 && call.sigmaInliersOut >= 0.0,
                "a negative or NaN deviation");
    return 0;
}

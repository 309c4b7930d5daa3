// Fuzz target: OVector_Regression::bComputeRegressionLine on arbitrary point lists with every
// mode, filter type, search level and inlier distance.
//
// Input, in order (draws of FuzzInput): mode, the three figure flags, filter type, filter passes,
// sigma factor, inlier distance, search level, a base line (raw start and raw step), then points
// until the bytes run out: each a duplicate of an earlier point, an empty slot, a point near the
// base line, or any two raw coordinates (negative, huge and the 64-bit limits included).
//
// The point count is bounded so that one input stays fast: kMaxPointsCubic for the DETSAC filters
// (the fixed-width variant, and the thorough search levels, visit every pair for every point),
// kMaxPoints otherwise. Nothing else is bounded.
//
// Rules checked:
// - false leaves the angle and the counts at 0 (1 inlier for a single point), the figures reset
//   and the outlier array untouched; the callback is never called;
// - true: the inliers (in the caller's array, in input order) and the outliers are the input
//   points again as a multiset, with the coordinates just left of the image (-65535..-1 raw)
//   moved to 0; the counts match the arrays; the angle is finite; the farthest point is found
//   only when asked for in a mode above 2; the standard deviations are not negative.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "FuzzInput.h"
#include "RegressionTestSupport.h"
#include "ResultArrays.h"
#include "regression/OVector_Regression.h"

namespace {

constexpr std::size_t kMaxPoints = 1024;
constexpr std::size_t kMaxPointsCubic = 96;
constexpr int kQualityMode = 3;
// Raw coordinates from here to -1 lie less than a pixel left of (or above) the image.
constexpr std::int64_t kFirstMovedToZero = -65535;

std::int64_t WrapAdd(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
std::int64_t WrapMul(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}

std::int64_t MovedOntoImage(std::int64_t raw) {
    return raw >= kFirstMovedToZero && raw < 0 ? 0 : raw;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const int mode = input.Bool() ? input.IntInRange(-1, 4) : input.AnyInt();
    const bool wantFarthest = input.Bool();
    const bool wantSigmaAll = input.Bool();
    const bool wantSigmaInliers = input.Bool();
    const int filterType = input.Bool() ? input.IntInRange(0, 5) : input.AnyInt();
    const int passes = input.Bool() ? input.IntInRange(-1, 8) : input.AnyInt();
    const double factor = input.AnyDouble();
    const int inlierDistance = input.Bool() ? input.IntInRange(-1, 8) : input.AnyInt();
    const int searchLevel = input.Bool() ? input.IntInRange(-1, 9) : input.AnyInt();
    const std::int64_t baseX = input.AnyRaw();
    const std::int64_t baseY = input.AnyRaw();
    const std::int64_t stepX = input.AnyRaw();
    const std::int64_t stepY = input.AnyRaw();

    const bool cubic = filterType == OVector_Regression::kFilterDETSAC ||
                       filterType == OVector_Regression::kFilterDETSAC_FPGA;
    const std::size_t maxPoints = cubic ? kMaxPointsCubic : kMaxPoints;
    std::vector<std::shared_ptr<OVector>> points;
    while (input.Remaining() > 0 && points.size() < maxPoints) {
        const int kind = input.U8() % 16;
        if (kind == 0 && !points.empty()) {
            const std::shared_ptr<OVector>& earlier = points[input.U8() % points.size()];
            points.push_back(earlier ? std::make_shared<OVector>(*earlier) : nullptr);
        } else if (kind == 1) {
            points.push_back(nullptr);
        } else if (kind <= 7) {
            // Near the base line: a step multiple plus up to half a pixel of noise each way.
            const std::int64_t t = input.U8();
            const std::int64_t noiseX = static_cast<std::int16_t>(input.U16());
            const std::int64_t noiseY = static_cast<std::int16_t>(input.U16());
            points.push_back(
                std::make_shared<OVector>(WrapAdd(WrapAdd(baseX, WrapMul(stepX, t)), noiseX),
                                          WrapAdd(WrapAdd(baseY, WrapMul(stepY, t)), noiseY)));
        } else {
            const std::int64_t x = input.AnyRaw();
            points.push_back(std::make_shared<OVector>(x, input.AnyRaw()));
        }
    }

    // Copies, since the call may move the caller's points onto the image.
    RegressionCall call({});
    std::vector<RawPoint> given;
    bool anyEmpty = false;
    for (const std::shared_ptr<OVector>& point : points) {
        call.points.Add(point ? std::make_shared<OVector>(*point) : nullptr);
        anyEmpty |= !point;
        if (point) {
            given.emplace_back(point->GetRawX(), point->GetRawY());
        }
    }
    call.mode = mode;
    call.farthest = wantFarthest;
    call.sigmaAll = wantSigmaAll;
    call.sigmaInliers = wantSigmaInliers;
    call.filter = filterType;
    call.iterations = passes;
    call.sigmaFactor = factor;
    call.inlierDistance = inlierDistance;
    call.searchLevel = searchLevel;
    MarkUntouched(call.outliers);
    call.Run();
    FUZZ_REQUIRE(call.callbackCalls == 0, "the callback was called");

    if (!call.ok) {
        FUZZ_REQUIRE(call.inlierCount == 0 || (points.size() == 1 && call.inlierCount == 1),
                     "a failed fit left an inlier count");
        FUZZ_REQUIRE(call.angle == 0.0 && call.outlierCount == 0 && !call.found &&
                         call.maxDistance == 0 && call.farthestX == 0 && call.farthestY == 0 &&
                         call.footX == 0.0 && call.footY == 0.0 && call.sigmaAllOut == 0.0 &&
                         call.sigmaInliersOut == 0.0,
                     "a failed fit left figures");
        FUZZ_REQUIRE(IsUntouched(call.outliers), "a failed fit touched the outlier array");
        return 0;
    }

    FUZZ_REQUIRE(!anyEmpty, "a point list with an empty slot was fitted");
    FUZZ_REQUIRE(
        call.inlierCount == call.points.GetCount() && call.outlierCount == call.outliers.GetCount(),
        "counts differ from the arrays");
    FUZZ_REQUIRE(
        call.inlierCount >= 1 &&
            static_cast<std::size_t>(call.inlierCount) + call.outlierCount == points.size(),
        "inliers and outliers do not add up to the points");

    std::vector<RawPoint> expected;
    for (const auto& [x, y] : given) {
        expected.emplace_back(MovedOntoImage(x), MovedOntoImage(y));
    }
    const std::vector<RawPoint> kept = RawPointsOf(call.points);
    // The inliers keep the input order.
    std::size_t next = 0;
    for (const RawPoint& point : kept) {
        while (next < expected.size() && expected[next] != point) {
            ++next;
        }
        FUZZ_REQUIRE(next < expected.size(), "inliers out of input order or not input points");
        ++next;
    }
    std::vector<RawPoint> got = kept;
    const std::vector<RawPoint> rejected = RawPointsOf(call.outliers);
    got.insert(got.end(), rejected.begin(), rejected.end());
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    FUZZ_REQUIRE(got == expected, "inliers and outliers are not the input points");

    FUZZ_REQUIRE(std::isfinite(call.angle), "an angle that is not finite");
    FUZZ_REQUIRE(!call.found || (mode >= kQualityMode && wantFarthest),
                 "an unasked farthest point");
    FUZZ_REQUIRE(call.sigmaAllOut >= 0.0 && call.sigmaInliersOut >= 0.0,
                 "a negative or NaN deviation");
    return 0;
}

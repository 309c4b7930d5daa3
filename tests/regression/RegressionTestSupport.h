#pragma once
// Test support for the regression: a call of the fit with named arguments and readable results,
// points in pixels, and access to the private schedule and standard-deviation filter.

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "foundation/Angles.h"
#include "foundation/OVector_Array.h"
#include "regression/OVector_Regression.h"
#include "regression/RegressionInternals.h"

using angles::kPi;
inline constexpr std::int64_t kRawPerPixel = fixedpoint::kRawOne;

inline std::int64_t Raw(double pixels) {
    return static_cast<std::int64_t>(pixels * static_cast<double>(kRawPerPixel));
}

using PixelPoints = std::vector<std::pair<double, double>>;

// One pass of the standard-deviation band around the flat line of slope 0 (internal: the
// programs that call it link the library's objects); answers the kept points.
inline PixelPoints StdDevKept(int mode, const PixelPoints& points, double factor) {
    using RawList = OFastArrayList<std::int64_t>;
    const auto n = static_cast<std::int64_t>(points.size());
    RawList xs(n), ys(n), keptX(n), keptY(n), removedX(n), removedY(n);
    for (const auto& [x, y] : points) {
        xs.Add(Raw(x));
        ys.Add(Raw(y));
    }
    regression_detail::StdDevFilterPass(mode, xs, ys, 0, 0.0, factor, keptX, keptY, removedX,
                                        removedY);
    PixelPoints kept;
    for (std::int64_t k = 0; k < keptX.GetCount(); ++k) {
        kept.emplace_back(keptX[k] / double(kRawPerPixel), keptY[k] / double(kRawPerPixel));
    }
    return kept;
}

// The DETSAC filter written as plainly as it can be: every scheduled pair counted over every
// scheduled voter with the exact line test, squared distances wrapping at 32 bits and products at
// 64, the first pair with strictly the most votes winning. Answers which points are inliers, or
// nothing when the filter fails. The oracle for the library's search, which reaches the same pair
// with less work. (It reads the library's internal schedule: the programs that call it link the
// library's objects.)
inline std::optional<std::vector<bool>> PlainDETSACInliers(
    const std::vector<std::pair<std::int64_t, std::int64_t>>& raw, int inlierDistance, int level) {
    struct Pixel {
        std::int32_t x, y;
    };
    const auto wrap32 = [](std::uint32_t v) { return static_cast<std::int32_t>(v); };
    const auto square32 = [&](std::int32_t d) {
        return wrap32(static_cast<std::uint32_t>(d) * static_cast<std::uint32_t>(d));
    };
    const auto distance2 = [&](Pixel a, Pixel b) {
        return wrap32(static_cast<std::uint32_t>(square32(b.x - a.x)) +
                      static_cast<std::uint32_t>(square32(b.y - a.y)));
    };
    const auto mul64 = [](std::int64_t a, std::int64_t b) {
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) *
                                         static_cast<std::uint64_t>(b));
    };
    const std::int32_t d2 = square32(inlierDistance);
    const auto supports = [&](Pixel i, Pixel j, Pixel k) {
        const std::int32_t dik = distance2(i, k), djk = distance2(j, k), l = distance2(i, j);
        if (dik < d2 || djk < d2) {
            return true;
        }
        const std::int64_t e =
            wrap32(static_cast<std::uint32_t>(djk) - static_cast<std::uint32_t>(l) -
                   static_cast<std::uint32_t>(dik));
        const std::int64_t lhs =
            static_cast<std::int64_t>(static_cast<std::uint64_t>(mul64(mul64(4, dik), l)) -
                                      static_cast<std::uint64_t>(e * e));
        return lhs <= mul64(mul64(4, d2), l);
    };
    std::vector<Pixel> p;
    for (const auto& [x, y] : raw) {
        p.push_back(Pixel{static_cast<std::int16_t>(static_cast<std::uint64_t>(x) >> 16),
                          static_cast<std::uint16_t>(static_cast<std::uint64_t>(y) >> 16)});
    }
    const auto n = static_cast<std::int64_t>(p.size());
    const auto steps = regression_detail::GetDETSACSchedule(n, level);
    std::int64_t best = -1, bestI = -1, bestJ = -1;
    for (std::int64_t i = 0; i < n; i += steps.iAnchorStep) {
        for (std::int64_t j = i + 1; j < n; j += steps.iPartnerStep) {
            if (square32(p[j].x - p[i].x) < 1 && square32(p[j].y - p[i].y) < 1) {
                continue;  // the same pixel, as the 32-bit squares see it
            }
            std::int64_t votes = 0;
            for (std::int64_t k = 0; k < n; k += steps.iVoteStep) {
                votes += supports(p[i], p[j], p[k]) ? 1 : 0;
            }
            if (votes > best) {
                best = votes, bestI = i, bestJ = j;
            }
        }
    }
    if (best < 1) {
        return std::nullopt;
    }
    std::vector<bool> inliers;
    for (const Pixel& k : p) {
        inliers.push_back(supports(p[bestI], p[bestJ], k));
    }
    return inliers;
}

// The points of an array in pixels, for comparisons.
inline PixelPoints PixelsOf(const OVector_Array& array) {
    PixelPoints points;
    for (int k = 0; k < array.GetCount(); ++k) {
        points.emplace_back(array.GetAt(k)->dX(), array.GetAt(k)->dY());
    }
    return points;
}

// One call of bComputeRegressionLine: set the arguments, Run(), read the outputs.
struct RegressionCall {
    explicit RegressionCall(const PixelPoints& input) {
        for (const auto& [x, y] : input) {
            points.Add(std::make_shared<OVector>(Raw(x), Raw(y)));
        }
    }

    RegressionCall& Run() {
        ok = OVector_Regression::bComputeRegressionLine(
            mode, points, farthest, sigmaAll, sigmaInliers, filter, iterations, sigmaFactor,
            inlierDistance, searchLevel, angle, centre, &outliers, inlierCount, outlierCount, found,
            maxDistance, farthestX, farthestY, footX, footY, sigmaAllOut, sigmaInliersOut,
            [this] { return ++callbackCalls > 0; });
        return *this;
    }

    // Arguments.
    OVector_Array points;
    int mode = 2;
    bool farthest = false, sigmaAll = false, sigmaInliers = false;
    int filter = 0, iterations = 0, inlierDistance = 1, searchLevel = 0;
    double sigmaFactor = 2.0;

    // Outputs, preset to values that a reset must overwrite.
    bool ok = false, found = true;
    OVector centre{std::int64_t{-1}, std::int64_t{-1}};
    OVector_Array outliers;
    int inlierCount = -1, outlierCount = -1, callbackCalls = 0;
    std::int64_t maxDistance = -1, farthestX = -1, farthestY = -1;
    double angle = -1.0, footX = -1.0, footY = -1.0, sigmaAllOut = -1.0, sigmaInliersOut = -1.0;
};

#pragma once
// Test support for the regression: a call of the fit with named arguments and readable results,
// points in pixels, and access to the private schedule and standard-deviation filter.

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "foundation/OVector_Array.h"
#include "regression/OVector_Regression.h"

inline constexpr double kPi = 3.141592653589793;
inline constexpr std::int64_t kRawPerPixel = 65536;

inline std::int64_t Raw(double pixels) {
    return static_cast<std::int64_t>(pixels * static_cast<double>(kRawPerPixel));
}

using PixelPoints = std::vector<std::pair<double, double>>;

struct OVector_RegressionTestAccess {
    static OVector_Regression::DETSACSchedule GetSchedule(std::int64_t n, int level) {
        return OVector_Regression::GetDETSACSchedule(n, level);
    }
    // The standard-deviation band around the flat line of slope 0; answers the kept points.
    static PixelPoints StdDevKept(int mode, const PixelPoints& points, double factor) {
        const auto n = static_cast<std::int64_t>(points.size());
        OVector_Regression::RawList xs(n), ys(n), keptX(n), keptY(n), removedX(n), removedY(n);
        for (const auto& [x, y] : points) {
            xs.Add(Raw(x));
            ys.Add(Raw(y));
        }
        OVector_Regression::FilterOutliers_StdDev_Aggressive(mode, xs, ys, 0, 0.0, factor, keptX,
                                                             keptY, removedX, removedY);
        PixelPoints kept;
        for (std::int64_t k = 0; k < keptX.GetCount(); ++k) {
            kept.emplace_back(keptX[k] / double(kRawPerPixel), keptY[k] / double(kRawPerPixel));
        }
        return kept;
    }
};

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

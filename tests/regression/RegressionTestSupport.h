#pragma once
// Test support for the regression: a call of the fit with named arguments and readable results,
// point builders, and access to the private stages and filters.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "foundation/OFastArrayList.h"
#include "foundation/OVector.h"
#include "foundation/OVector_Array.h"
#include "regression/OVector_Regression.h"

struct OVector_RegressionTestAccess {
    using RawList = OVector_Regression::RawList;
    using Schedule = OVector_Regression::DETSACSchedule;

    static Schedule GetSchedule(std::int64_t n, int level) {
        return OVector_Regression::GetDETSACSchedule(n, level);
    }
    static void Stage1(int mode, const RawList& xs, const RawList& ys, int& steep, double& slope) {
        std::int64_t sx = 0, sxx = 0, sxy = 0, sy = 0, syy = 0;
        OVector_Regression::ComputeRegressionLinePart1(mode, xs, ys, steep, slope, sx, sxx, sxy, sy,
                                                       syy);
    }
    static void StdDev(int mode, const RawList& xs, const RawList& ys, int steep, double slope,
                       double factor, RawList& keptX, RawList& keptY, RawList& removedX,
                       RawList& removedY) {
        OVector_Regression::FilterOutliers_StdDev_Aggressive(mode, xs, ys, steep, slope, factor,
                                                             keptX, keptY, removedX, removedY);
    }
};

using RawList = OVector_RegressionTestAccess::RawList;

inline constexpr double kPi = 3.141592653589793;
inline constexpr std::int64_t kRawPerPixel = 65536;

inline std::int64_t Raw(double pixels) {
    return static_cast<std::int64_t>(pixels * static_cast<double>(kRawPerPixel));
}

using PixelPoints = std::vector<std::pair<double, double>>;

// The points of an array in pixels, for comparisons.
inline PixelPoints PixelsOf(const OVector_Array& array) {
    PixelPoints points;
    for (int k = 0; k < array.GetCount(); ++k) {
        points.emplace_back(array.GetAt(k)->dX(), array.GetAt(k)->dY());
    }
    return points;
}

// A pair of raw lists from pixel points, with room for all of them.
struct RawPoints {
    explicit RawPoints(const PixelPoints& points)
        : xs(static_cast<std::int64_t>(points.size())),
          ys(static_cast<std::int64_t>(points.size())) {
        for (const auto& [x, y] : points) {
            xs.Add(Raw(x));
            ys.Add(Raw(y));
        }
    }
    RawList xs;
    RawList ys;
};

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
            maxDistance, farthestX, farthestY, footX, footY, sigmaAllOut, sigmaInliersOut, [this] {
                ++callbackCalls;
                return true;
            });
        return *this;
    }

    // Arguments.
    OVector_Array points;
    int mode = 2;
    bool farthest = false, sigmaAll = false, sigmaInliers = false;
    int filter = 0, iterations = 0;
    double sigmaFactor = 2.0;
    int inlierDistance = 1, searchLevel = 0;

    // Outputs, preset to values that a reset must overwrite.
    bool ok = false;
    double angle = -1.0;
    OVector centre{std::int64_t{-1}, std::int64_t{-1}};
    OVector_Array outliers;
    int inlierCount = -1, outlierCount = -1;
    bool found = true;
    std::int64_t maxDistance = -1, farthestX = -1, farthestY = -1;
    double footX = -1.0, footY = -1.0, sigmaAllOut = -1.0, sigmaInliersOut = -1.0;
    int callbackCalls = 0;
};

#pragma once
// The fits' result arrays as the fuzz targets compare them: the raw coordinates of their points,
// and a one-point marker that no fit writes, showing whether a call touched an array.

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "FuzzInput.h"
#include "foundation/OVector_Array.h"

using RawPoint = std::pair<std::int64_t, std::int64_t>;

// The points of the arrays, one array after the other.
inline std::vector<RawPoint> RawPointsOf(std::initializer_list<const OVector_Array*> arrays) {
    std::vector<RawPoint> points;
    for (const OVector_Array* array : arrays) {
        for (int i = 0; i < array->GetCount(); ++i) {
            points.emplace_back(array->GetAt(i)->GetRawX(), array->GetAt(i)->GetRawY());
        }
    }
    return points;
}

// Whether the inliers and outliers of a fit are, as a multiset, the expected points.
inline bool AreThePoints(std::vector<RawPoint> expected, const OVector_Array& inliers,
                         const OVector_Array& outliers) {
    std::vector<RawPoint> got = RawPointsOf({&inliers, &outliers});
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    return got == expected;
}

inline const RawPoint kUntouchedMark{-7, -7};

inline void MarkUntouched(OVector_Array& array) {
    array.Add(std::make_shared<OVector>(kUntouchedMark.first, kUntouchedMark.second));
}

inline bool IsUntouched(const OVector_Array& array) {
    return RawPointsOf({&array}) == std::vector<RawPoint>{kUntouchedMark};
}

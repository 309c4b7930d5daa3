#pragma once
// Result arrays of the fits as the fuzz targets compare them: the raw coordinates of their points,
// and a one-point marker that shows whether a call touched an array.

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "FuzzInput.h"
#include "foundation/OVector_Array.h"

using RawPoint = std::pair<std::int64_t, std::int64_t>;

inline std::vector<RawPoint> RawPointsOf(const OVector_Array& array) {
    std::vector<RawPoint> points;
    for (int i = 0; i < array.GetCount(); ++i) {
        const OVector* point = array.GetPointerAt(i);
        FUZZ_REQUIRE(point != nullptr, "an empty slot in a result array");
        points.emplace_back(point->GetRawX(), point->GetRawY());
    }
    return points;
}

// The marker: a single point that no fit writes.
inline const RawPoint kUntouchedMark{-7, -7};

inline void MarkUntouched(OVector_Array& array) {
    array.RemoveAll();
    array.Add(std::make_shared<OVector>(kUntouchedMark.first, kUntouchedMark.second));
}

inline bool IsUntouched(const OVector_Array& array) {
    return RawPointsOf(array) == std::vector<RawPoint>{kUntouchedMark};
}

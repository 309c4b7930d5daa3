#pragma once
// Point lists between NumPy and the library: arrays of shape (n, 2), one (x, y) row per point, in
// pixels as float64.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <vector>

#include "foundation/OVector.h"
#include "foundation/OVector_Array.h"

namespace pybinding {

// One point in pixels, as Python passes it: any sequence of two numbers.
using Point = std::array<double, 2>;

// The points of an array-like of shape (n, 2) with at least `minimum` rows, every coordinate a
// finite number. Raises TypeError for what is not numeric and ValueError for another shape, too
// few points or a NaN or infinite coordinate; `what` names the argument in the messages.
std::vector<Point> PointsFromArray(pybind11::handle points, std::size_t minimum, const char* what);

// Raises ValueError unless both coordinates are finite; `what` names the point in the message.
void CheckFinite(const Point& point, const char* what);

// A point in the library's raw 16.16 units, and back to pixels.
inline OVector ToVector(const Point& p) {
    return OVector(p[0], p[1]);
}
inline Point ToPoint(const OVector& v) {
    return {v.dX(), v.dY()};
}

// An (n, 2) float64 array of the points of a list (empty slots skipped).
pybind11::array_t<double> ArrayFromList(const OVector_Array& list);
pybind11::array_t<double> ArrayFromPoints(const std::vector<Point>& points);

}  // namespace pybinding

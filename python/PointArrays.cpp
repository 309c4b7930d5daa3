#include "PointArrays.h"

#include <cmath>
#include <string>

namespace py = pybind11;

namespace pybinding {
namespace {

constexpr py::ssize_t kCoordinates = 2;

}  // namespace

void CheckFinite(const Point& point, const char* what) {
    if (!std::isfinite(point[0]) || !std::isfinite(point[1])) {
        throw py::value_error(std::string(what) + " must have finite coordinates, got (" +
                              std::to_string(point[0]) + ", " + std::to_string(point[1]) + ")");
    }
}

std::vector<Point> PointsFromArray(py::handle points, std::size_t minimum, const char* what) {
    const py::array raw = py::array::ensure(points);
    if (!raw) {
        PyErr_Clear();
        throw py::type_error(std::string(what) +
                             " must be an array of shape (n, 2) of x, y in "
                             "pixels, got " +
                             std::string(py::str(py::type::of(points).attr("__name__"))));
    }
    const char kind = raw.dtype().kind();
    if (kind != 'f' && kind != 'i' && kind != 'u') {
        throw py::type_error(std::string(what) + " must hold numbers, got dtype " +
                             std::string(py::str(raw.dtype().attr("name"))) +
                             ": convert with np.asarray(points, dtype=float)");
    }
    if (raw.ndim() != 2 || raw.shape(1) != kCoordinates) {
        std::string shape;
        for (py::ssize_t d = 0; d < raw.ndim(); ++d) {
            shape += (d > 0 ? ", " : "") + std::to_string(raw.shape(d));
        }
        throw py::value_error(std::string(what) +
                              " must have shape (n, 2), one x, y row per "
                              "point, got shape (" +
                              shape + ")");
    }
    const auto count = static_cast<std::size_t>(raw.shape(0));
    if (count < minimum) {
        throw py::value_error(std::string(what) + " must hold at least " + std::to_string(minimum) +
                              " points, got " + std::to_string(count));
    }
    const auto values = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(raw);
    const auto table = values.unchecked<2>();
    std::vector<Point> result(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto row = static_cast<py::ssize_t>(i);
        result[i] = {table(row, 0), table(row, 1)};
        if (!std::isfinite(result[i][0]) || !std::isfinite(result[i][1])) {
            throw py::value_error(std::string(what) + ": point " + std::to_string(i) +
                                  " has a NaN or infinite coordinate");
        }
    }
    return result;
}

py::array_t<double> ArrayFromPoints(const std::vector<Point>& points) {
    py::array_t<double> array({static_cast<py::ssize_t>(points.size()), kCoordinates});
    auto table = array.mutable_unchecked<2>();
    for (std::size_t i = 0; i < points.size(); ++i) {
        table(static_cast<py::ssize_t>(i), 0) = points[i][0];
        table(static_cast<py::ssize_t>(i), 1) = points[i][1];
    }
    return array;
}

py::array_t<double> ArrayFromList(const OVector_Array& list) {
    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(list.GetCount()));
    for (int i = 0; i < list.GetCount(); ++i) {
        if (const OVector* p = list.GetPointerAt(i)) {
            points.push_back(ToPoint(*p));
        }
    }
    return ArrayFromPoints(points);
}

}  // namespace pybinding

// Many line calipers in one call: arrays of axis end points in, arrays of edges out, one row per
// caliper, for scripts that lay hundreds of calipers. Everything between the argument checks and
// the results (building the regions, the library's many-regions call, filling the arrays) runs
// without the interpreter lock, so the call costs little more than the library's own loop.

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "Bindings.h"
#include "CaliperArguments.h"
#include "ImageArgument.h"
#include "caliper/OCaliper.h"

namespace py = pybind11;

namespace pybinding {
namespace {

using Table = py::array_t<double, py::array::c_style | py::array::forcecast>;

constexpr py::ssize_t kPointColumns = 2;
constexpr py::ssize_t kSegmentColumns = 4;
constexpr double kDefaultWidth = 1.0;
constexpr double kDefaultStep = 1.0;
constexpr double kNoEdge = std::numeric_limits<double>::quiet_NaN();

// One row per caliper: the edge each found (NaN where none), its status and the noise around it.
struct CaliperArrays {
    py::array_t<double> points;  // (n, 2)
    py::array_t<double> position;
    py::array_t<double> amplitude;
    py::array_t<double> score;
    py::array_t<double> sigma;
    py::array_t<double> noise;
    py::array_t<std::int8_t> status;
};

std::string ShapeText(const py::array& a) {
    std::string text = "(";
    for (py::ssize_t d = 0; d < a.ndim(); ++d) {
        text += (d > 0 ? ", " : "") + std::to_string(a.shape(d));
    }
    return text + (a.ndim() == 1 ? ",)" : ")");
}

// A numeric array-like as a C-contiguous float64 array (a copy only when it is not one already).
Table Numbers(py::handle values, const char* what) {
    const py::array raw = py::array::ensure(values);
    if (!raw) {
        PyErr_Clear();
        throw py::type_error(std::string(what) + " must be a numeric array, got " +
                             std::string(py::str(py::type::of(values).attr("__name__"))));
    }
    const char kind = raw.dtype().kind();
    if (kind != 'f' && kind != 'i' && kind != 'u') {
        throw py::type_error(std::string(what) + " must hold numbers, got dtype " +
                             std::string(py::str(raw.dtype().attr("name"))));
    }
    return Table::ensure(raw);
}

Table Rows(py::handle values, py::ssize_t columns, const char* what, const char* layout) {
    Table table = Numbers(values, what);
    if (table.ndim() != 2 || table.shape(1) != columns) {
        throw py::value_error(std::string(what) + " must have shape " + layout + ", got " +
                              ShapeText(table));
    }
    if (table.shape(0) == 0) {
        throw py::value_error(std::string(what) + " holds no caliper");
    }
    return table;
}

// The axis coordinates of every caliper as one (n, 4) table of start x, y, end x, y.
struct Axes {
    Table starts;
    Table ends;  // empty when `starts` holds whole segments
    py::ssize_t Count() const { return starts.shape(0); }
    void Get(py::ssize_t k, double (&xyxy)[4]) const {
        const double* s = starts.data() + k * starts.shape(1);
        if (starts.shape(1) == kSegmentColumns) {
            std::copy(s, s + kSegmentColumns, xyxy);
            return;
        }
        const double* e = ends.data() + k * kPointColumns;
        xyxy[0] = s[0];
        xyxy[1] = s[1];
        xyxy[2] = e[0];
        xyxy[3] = e[1];
    }
};

Axes AxesFrom(py::handle starts, py::handle ends) {
    if (ends.is_none()) {
        return {Rows(starts, kSegmentColumns, "segments",
                     "(n, 4): start x, start y, end x, end y per caliper (or pass starts and "
                     "ends of shape (n, 2))"),
                Table()};
    }
    Axes axes{Rows(starts, kPointColumns, "starts", "(n, 2)"),
              Rows(ends, kPointColumns, "ends", "(n, 2)")};
    if (axes.ends.shape(0) != axes.starts.shape(0)) {
        throw py::value_error("starts and ends must have as many rows, got " +
                              std::to_string(axes.starts.shape(0)) + " and " +
                              std::to_string(axes.ends.shape(0)));
    }
    return axes;
}

// A width for every caliper, or one for all (then `widths` is a single value).
Table WidthsFrom(py::handle width, py::ssize_t count) {
    Table widths = Numbers(width, "width");
    if (widths.ndim() > 1 || (widths.ndim() == 1 && widths.shape(0) != count)) {
        throw py::value_error("width must be one number or one per caliper (" +
                              std::to_string(count) + ",), got shape " + ShapeText(widths));
    }
    return widths;
}

std::string Row(py::ssize_t k) {
    return "caliper " + std::to_string(k) + ": ";
}

CaliperArrays MeasureCalipers(ImageArgument image, py::handle starts, py::handle ends,
                              py::handle width, std::optional<OCaliperEdgeSettings> base,
                              double step, const EdgeOverrides& overrides) {
    const OCaliperEdgeSettings settings = overrides.Apply(base);
    if (settings.selection == OCaliperSelection::All) {
        throw py::value_error(
            "measure_calipers reports one edge per caliper: choose Selection.FIRST, LAST, "
            "STRONGEST or NTH (LineCaliper.measure_edges reports all)");
    }
    CheckPositive(step, "step");
    const Axes axes = AxesFrom(starts, ends);
    const py::ssize_t n = axes.Count();
    const Table widths = WidthsFrom(width, n);
    const bool widthPerCaliper = widths.ndim() == 1;

    CaliperArrays out{py::array_t<double>({n, kPointColumns}),
                      py::array_t<double>(n),
                      py::array_t<double>(n),
                      py::array_t<double>(n),
                      py::array_t<double>(n),
                      py::array_t<double>(n),
                      py::array_t<std::int8_t>(n)};
    double* points = out.points.mutable_data();
    double* position = out.position.mutable_data();
    double* amplitude = out.amplitude.mutable_data();
    double* score = out.score.mutable_data();
    double* sigma = out.sigma.mutable_data();
    double* noise = out.noise.mutable_data();
    std::int8_t* status = out.status.mutable_data();

    std::vector<OCaliperLine> regions(static_cast<std::size_t>(n));
    py::ssize_t badRow = -1;
    OCaliperStatus badStatus = OCaliperStatus::Ok;
    {
        py::gil_scoped_release withoutInterpreterLock;
        for (py::ssize_t k = 0; k < n; ++k) {
            double xyxy[4];
            axes.Get(k, xyxy);
            const double w = widths.data()[widthPerCaliper ? k : 0];
            regions[static_cast<std::size_t>(k)] = {xyxy[0], xyxy[1], xyxy[2], xyxy[3], w, step};
        }
        const std::vector<OCaliperEdgeResult> results = image.Get().Visit(
            [&](const auto& grey) { return OCaliper::MeasureEdges(grey, regions, settings); });
        for (py::ssize_t k = 0; k < n; ++k) {
            const OCaliperEdgeResult& r = results[static_cast<std::size_t>(k)];
            const bool found = r.Ok() && !r.edges.empty();
            const OCaliperEdge none{kNoEdge, kNoEdge, kNoEdge, kNoEdge, kNoEdge, kNoEdge};
            const OCaliperEdge& e = found ? r.edges.front() : none;
            points[2 * k] = e.x;
            points[2 * k + 1] = e.y;
            position[k] = e.position;
            amplitude[k] = e.amplitude;
            score[k] = e.score;
            sigma[k] = e.sigma;
            noise[k] = r.Ok() ? r.noise : kNoEdge;
            status[k] = static_cast<std::int8_t>(r.status);
            if (badRow < 0 && (r.status == OCaliperStatus::BadRegion ||
                               r.status == OCaliperStatus::BadSettings)) {
                badRow = k;
                badStatus = r.status;
            }
        }
    }
    if (badRow >= 0) {
        const OCaliperLine& r = regions[static_cast<std::size_t>(badRow)];
        CheckRegion(r, Row(badRow));
        RaiseIfRefused(badStatus, Row(badRow));
    }
    return out;
}

// A column of the points as a view that keeps the points alive.
py::array_t<double> Column(const py::array_t<double>& points, py::ssize_t column) {
    return py::array_t<double>({points.shape(0)}, {points.strides(0)}, points.data() + column,
                               points);
}

}  // namespace

void BindCaliperArrays(py::module_& m) {
    py::class_<CaliperArrays>(
        m, "CaliperArrays",
        "The edges of many line calipers, one row per caliper, as NumPy arrays: points (n, 2) "
        "and x, y, position, amplitude, score, sigma, noise (n,) float64, NaN where a caliper "
        "found none; status (n,) int8, the CaliperStatus values (found: status == 0).")
        .def_readonly("points", &CaliperArrays::points, "Edge points (n, 2), pixels; NaN: none.")
        .def_property_readonly(
            "x", [](const CaliperArrays& a) { return Column(a.points, 0); }, "Edge x (n,).")
        .def_property_readonly(
            "y", [](const CaliperArrays& a) { return Column(a.points, 1); }, "Edge y (n,).")
        .def_readonly("position", &CaliperArrays::position,
                      "Distance along each caliper's axis from its start, pixels.")
        .def_readonly("amplitude", &CaliperArrays::amplitude,
                      "Signed filtered gradient, grey levels per pixel (positive: rising).")
        .def_readonly("score", &CaliperArrays::score, "Edge scores, 0..1.")
        .def_readonly("sigma", &CaliperArrays::sigma, "1-sigma position uncertainties, pixels.")
        .def_readonly("noise", &CaliperArrays::noise,
                      "Grey-level noise around each caliper (NaN where it did not measure).")
        .def_readonly("status", &CaliperArrays::status,
                      "CaliperStatus value of each caliper (int8; 0 is OK).")
        .def_property_readonly(
            "found",
            [](const CaliperArrays& a) {
                const auto codes = a.status.unchecked<1>();
                py::array_t<bool> found(codes.shape(0));
                bool* flags = found.mutable_data();
                for (py::ssize_t k = 0; k < codes.shape(0); ++k) {
                    flags[k] = codes(k) == static_cast<std::int8_t>(OCaliperStatus::Ok);
                }
                return found;
            },
            "True for the calipers that found an edge (bool (n,)).")
        .def("__len__", [](const CaliperArrays& a) { return a.status.shape(0); })
        .def("__repr__", [](const CaliperArrays& a) {
            const auto codes = a.status.unchecked<1>();
            py::ssize_t found = 0;
            for (py::ssize_t k = 0; k < codes.shape(0); ++k) {
                found += codes(k) == static_cast<std::int8_t>(OCaliperStatus::Ok);
            }
            return "CaliperArrays(calipers=" + std::to_string(codes.shape(0)) +
                   ", found=" + std::to_string(found) + ")";
        });

    m.def(
        "measure_calipers",
        [](ImageArgument image, py::handle starts, py::handle ends, py::handle width,
           std::optional<OCaliperEdgeSettings> settings, double step, std::optional<double> sigma,
           std::optional<double> threshold, std::optional<OCaliperPolarity> polarity,
           std::optional<OCaliperSelection> selection, std::optional<int> n) {
            return MeasureCalipers(image, starts, ends, width, settings, step,
                                   EdgeOverrides{sigma, threshold, polarity, selection, n});
        },
        py::arg("image"), py::arg("starts"), py::arg("ends") = py::none(),
        py::arg("width") = kDefaultWidth, py::arg("settings") = py::none(), py::kw_only(),
        py::arg("step") = kDefaultStep, py::arg("sigma") = py::none(),
        py::arg("threshold") = py::none(), py::arg("polarity") = py::none(),
        py::arg("selection") = py::none(), py::arg("n") = py::none(),
        "Measure one edge on each of many line calipers over one image in a single call. "
        "starts and ends: (n, 2) arrays of axis end points (x, y in pixels), or starts alone "
        "as (n, 4) rows of start x, start y, end x, end y; width: one number or one per caliper; "
        "settings and the keywords as for LineCaliper.measure_edges (one edge per caliper: not "
        "Selection.ALL). Returns CaliperArrays, NaN where a caliper found no edge (its status "
        "says why). ValueError for a coordinate or width that is not finite, a width or step "
        "that is not positive, a caliper the library refuses (named in the message) or empty "
        "arrays.");
}

}  // namespace pybinding

// The caliper's enums, settings and results, bound as the library's own value types: settings
// read-write with every field checked when it is set, results read-only with a readable repr.

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Bindings.h"
#include "CaliperArguments.h"

namespace py = pybind11;

namespace pybinding {
namespace {

std::string Number(double value) {
    return std::string(py::repr(py::float_(value)));
}

// The Python name of an enum value, e.g. "EdgePolarity.RISING".
template <class Enum>
std::string Name(Enum value) {
    return std::string(py::str(py::cast(value)));
}

std::string EdgeRepr(const OCaliperEdge& e) {
    return "CaliperEdge(x=" + Number(e.x) + ", y=" + Number(e.y) +
           ", position=" + Number(e.position) + ", amplitude=" + Number(e.amplitude) +
           ", score=" + Number(e.score) + ", sigma=" + Number(e.sigma) + ")";
}

std::string PairRepr(const OCaliperPair& p) {
    return "CaliperPair(width=" + Number(p.width) + ", width_sigma=" + Number(p.widthSigma) +
           ", center=(" + Number(p.centerX) + ", " + Number(p.centerY) +
           "), score=" + Number(p.score) + ", first=" + EdgeRepr(p.first) +
           ", second=" + EdgeRepr(p.second) + ")";
}

// A found result lists what it found; an empty one says why.
template <class Result, class Item>
std::string ResultRepr(const char* name, const Result& r, const std::vector<Item>& items,
                       std::string (*itemRepr)(const Item&)) {
    if (!r.Ok()) {
        return std::string(name) + "(status=" + Name(r.status) + ", status_text='" +
               r.StatusText() + "')";
    }
    std::string text = std::string(name) + "([";
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i > 0 ? ", " : "") + itemRepr(items[i]);
    }
    return text + "], noise=" + Number(r.noise) + ")";
}

// A result is a sequence of what it found (edges or pairs), true when it found any.
template <class Result, class Item>
void DefineSequence(py::class_<Result>& c, std::vector<Item> Result::*items) {
    c.def("__bool__", &Result::Ok, "True when the caliper found something (status OK).")
        .def("__len__", [items](const Result& r) { return (r.*items).size(); })
        .def(
            "__getitem__",
            [items](const Result& r, py::ssize_t i) {
                const auto size = static_cast<py::ssize_t>((r.*items).size());
                if (i < -size || i >= size) {
                    throw py::index_error("index " + std::to_string(i) + " out of range for " +
                                          std::to_string(size) + " found");
                }
                return (r.*items)[static_cast<std::size_t>(i < 0 ? i + size : i)];
            },
            py::arg("index"))
        .def(
            "__iter__",
            [items](const Result& r) {
                return py::make_iterator((r.*items).begin(), (r.*items).end());
            },
            py::keep_alive<0, 1>())
        .def_property_readonly(
            "status", [](const Result& r) { return r.status; },
            "CaliperStatus: OK, or why nothing was found.")
        .def_property_readonly(
            "status_text", [](const Result& r) { return std::string(r.StatusText()); },
            "The status in words.")
        .def_readonly("noise", &Result::noise,
                      "Grey-level noise the caliper estimated from the image around it (the "
                      "source of every sigma).");
}

template <class Array>
py::array_t<double> Doubles(const Array& values) {
    return py::array_t<double>(static_cast<py::ssize_t>(values.size()), values.data());
}

void BindCaliperEnums(py::module_& m) {
    py::enum_<OCaliperPolarity>(m, "EdgePolarity",
                                "The direction of a caliper edge along the caliper's axis: RISING "
                                "(dark to bright), FALLING (bright to dark) or ANY.")
        .value("RISING", OCaliperPolarity::Rising)
        .value("FALLING", OCaliperPolarity::Falling)
        .value("ANY", OCaliperPolarity::Any);
    py::enum_<OCaliperSelection>(m, "Selection",
                                 "Which edges a caliper reports: the FIRST or LAST along the "
                                 "axis, the STRONGEST, the NTH from the start (EdgeSettings.n, "
                                 "1-based), or ALL in axis order.")
        .value("FIRST", OCaliperSelection::First)
        .value("LAST", OCaliperSelection::Last)
        .value("STRONGEST", OCaliperSelection::Strongest)
        .value("NTH", OCaliperSelection::Nth)
        .value("ALL", OCaliperSelection::All);
    py::enum_<OCaliperPairSelection>(m, "PairSelection",
                                     "Which pairs a caliper reports: the FIRST or LAST along the "
                                     "axis, the STRONGEST (largest combined score) or ALL.")
        .value("FIRST", OCaliperPairSelection::First)
        .value("LAST", OCaliperPairSelection::Last)
        .value("STRONGEST", OCaliperPairSelection::Strongest)
        .value("ALL", OCaliperPairSelection::All);
    py::enum_<OCaliperStatus>(
        m, "CaliperStatus",
        "Why a caliper result is empty (OK when it is not). BAD_REGION and BAD_SETTINGS are "
        "raised as ValueError and EMPTY_IMAGE cannot occur (empty arrays are refused); the "
        "others are answers: OUTSIDE_IMAGE, PARTLY_OUTSIDE_IMAGE, NO_EDGE, NOT_RESOLVED (the "
        "two edges of a pair too close to be measured apart).")
        .value("OK", OCaliperStatus::Ok)
        .value("BAD_REGION", OCaliperStatus::BadRegion)
        .value("BAD_SETTINGS", OCaliperStatus::BadSettings)
        .value("EMPTY_IMAGE", OCaliperStatus::EmptyImage)
        .value("OUTSIDE_IMAGE", OCaliperStatus::OutsideImage)
        .value("PARTLY_OUTSIDE_IMAGE", OCaliperStatus::PartlyOutsideImage)
        .value("NO_EDGE", OCaliperStatus::NoEdge)
        .value("NOT_RESOLVED", OCaliperStatus::NotResolved);
}

// A double field whose setter checks the new value first.
template <class Settings>
void CheckedField(py::class_<Settings>& c, const char* name, double Settings::*field,
                  void (*check)(double), const char* doc) {
    c.def_property(
        name, [field](const Settings& s) { return s.*field; },
        [field, check](Settings& s, double value) {
            check(value);
            s.*field = value;
        },
        doc);
}

void BindCaliperSettings(py::module_& m) {
    py::class_<OCaliperEdgeSettings> edge(
        m, "EdgeSettings",
        "What a caliper looks for: edges of the profile filtered by the derivative of a Gaussian "
        "of `sigma` pixels whose magnitude is at least `threshold` grey levels per pixel (in the "
        "image's own scale: a 12-bit image's levels), of the given polarity, reported by "
        "`selection`. Every field is checked when it is set (ValueError).");
    edge.def(py::init([](double sigma, double threshold, OCaliperPolarity polarity,
                         OCaliperSelection selection, int n) {
                 OCaliperEdgeSettings s;
                 s.sigma = sigma;
                 s.threshold = threshold;
                 s.polarity = polarity;
                 s.selection = selection;
                 s.n = n;
                 CheckEdgeSettings(s);
                 return s;
             }),
             py::kw_only(), py::arg("sigma") = 1.0, py::arg("threshold") = 10.0,
             py::arg("polarity") = OCaliperPolarity::Any,
             py::arg("selection") = OCaliperSelection::Strongest, py::arg("n") = 1,
             "Edge settings; the defaults find the strongest edge of either polarity with sigma "
             "1 px and threshold 10.");
    CheckedField(edge, "sigma", &OCaliperEdgeSettings::sigma, &CheckSigma,
                 "Smoothing of the derivative filter, pixels, in (0, 256].");
    CheckedField(edge, "threshold", &OCaliperEdgeSettings::threshold, &CheckThreshold,
                 "Least edge magnitude, grey levels per pixel, >= 0.");
    edge.def_readwrite("polarity", &OCaliperEdgeSettings::polarity, "EdgePolarity of the edges.")
        .def_readwrite("selection", &OCaliperEdgeSettings::selection,
                       "Selection: which edges are reported.")
        .def_property(
            "n", [](const OCaliperEdgeSettings& s) { return s.n; },
            [](OCaliperEdgeSettings& s, int n) {
                CheckOrdinal(n);
                s.n = n;
            },
            "For Selection.NTH: which edge from the start, 1-based.")
        .def("__repr__", [](const OCaliperEdgeSettings& s) {
            return "EdgeSettings(sigma=" + Number(s.sigma) + ", threshold=" + Number(s.threshold) +
                   ", polarity=" + Name(s.polarity) + ", selection=" + Name(s.selection) +
                   ", n=" + std::to_string(s.n) + ")";
        });

    py::class_<OCaliperPairSettings> pair(
        m, "PairSettings",
        "What a caliper looks for as pairs: a first edge of `first_polarity` followed along the "
        "axis by a second of `second_polarity`, between `min_width` and `max_width` pixels "
        "apart; each edge at least `threshold` after the filter of `sigma` pixels. The default "
        "RISING then FALLING is a bright bar on a dark ground; FALLING then RISING a dark gap. "
        "Every field is checked when it is set (ValueError).");
    pair.def(py::init([](double sigma, double threshold, OCaliperPolarity first,
                         OCaliperPolarity second, double minWidth, double maxWidth,
                         OCaliperPairSelection selection, double blur) {
                 OCaliperPairSettings s;
                 s.sigma = sigma;
                 s.threshold = threshold;
                 s.firstPolarity = first;
                 s.secondPolarity = second;
                 s.minWidth = minWidth;
                 s.maxWidth = maxWidth;
                 s.selection = selection;
                 s.blur = blur;
                 CheckPairSettings(s);
                 return s;
             }),
             py::kw_only(), py::arg("sigma") = 1.0, py::arg("threshold") = 10.0,
             py::arg("first_polarity") = OCaliperPolarity::Rising,
             py::arg("second_polarity") = OCaliperPolarity::Falling, py::arg("min_width") = 0.0,
             py::arg("max_width") = INFINITY,
             py::arg("selection") = OCaliperPairSelection::Strongest, py::arg("blur") = 0.0,
             "Pair settings; the defaults find the strongest bright bar of any width.");
    CheckedField(pair, "sigma", &OCaliperPairSettings::sigma, &CheckSigma,
                 "Smoothing of the derivative filter, pixels, in (0, 256].");
    CheckedField(pair, "threshold", &OCaliperPairSettings::threshold, &CheckThreshold,
                 "Least magnitude of each edge, grey levels per pixel, >= 0.");
    CheckedField(pair, "blur", &OCaliperPairSettings::blur, &CheckBlur,
                 "The edges' own blur (Gaussian sigma, pixels) when the optics are known, 0 when "
                 "not (fitted). Known, it lets narrow bars be measured several times more "
                 "precisely; a wrong value biases the widths of narrow pairs.");
    pair.def_readwrite("first_polarity", &OCaliperPairSettings::firstPolarity,
                       "EdgePolarity of the first edge.")
        .def_readwrite("second_polarity", &OCaliperPairSettings::secondPolarity,
                       "EdgePolarity of the second edge.")
        .def_property(
            "min_width", [](const OCaliperPairSettings& s) { return s.minWidth; },
            [](OCaliperPairSettings& s, double w) {
                CheckWidthRange(w, s.maxWidth);
                s.minWidth = w;
            },
            "Least distance between the edges along the axis, pixels.")
        .def_property(
            "max_width", [](const OCaliperPairSettings& s) { return s.maxWidth; },
            [](OCaliperPairSettings& s, double w) {
                CheckWidthRange(s.minWidth, w);
                s.maxWidth = w;
            },
            "Largest distance between the edges along the axis, pixels (inf: any).")
        .def_readwrite("selection", &OCaliperPairSettings::selection,
                       "PairSelection: which pairs are reported.")
        .def("__repr__", [](const OCaliperPairSettings& s) {
            return "PairSettings(sigma=" + Number(s.sigma) + ", threshold=" + Number(s.threshold) +
                   ", first_polarity=" + Name(s.firstPolarity) +
                   ", second_polarity=" + Name(s.secondPolarity) +
                   ", min_width=" + Number(s.minWidth) + ", max_width=" + Number(s.maxWidth) +
                   ", selection=" + Name(s.selection) + ", blur=" + Number(s.blur) + ")";
        });
}

void BindCaliperResults(py::module_& m) {
    py::class_<OCaliperEdge>(
        m, "CaliperEdge",
        "An edge a caliper found: its image point x, y (pixels, on the caliper's axis or arc), "
        "its position along the axis from the start (pixels; arc length on an arc), its signed "
        "amplitude (grey levels per pixel, positive rising), its score in [0, 1] and sigma, the "
        "1-sigma uncertainty of its position from the image's own noise (NaN when the image "
        "offers no pixels to estimate it).")
        .def_readonly("x", &OCaliperEdge::x, "x of the edge point, pixels.")
        .def_readonly("y", &OCaliperEdge::y, "y of the edge point, pixels.")
        .def_readonly("position", &OCaliperEdge::position,
                      "Distance along the axis from its start, pixels.")
        .def_readonly("amplitude", &OCaliperEdge::amplitude,
                      "Signed filtered gradient, grey levels per pixel (positive: rising).")
        .def_readonly("score", &OCaliperEdge::score,
                      "|a| / (|a| + threshold + 3 x noise of the amplitude), 0..1.")
        .def_readonly("sigma", &OCaliperEdge::sigma, "1-sigma position uncertainty, pixels.")
        .def_property_readonly(
            "point", [](const OCaliperEdge& e) { return py::make_tuple(e.x, e.y); },
            "(x, y) in pixels.")
        .def("__repr__", &EdgeRepr);

    py::class_<OCaliperPair>(
        m, "CaliperPair",
        "A pair of edges a caliper found: the first and second CaliperEdge, the width between "
        "them along the axis with its 1-sigma uncertainty, the centre halfway between them (image "
        "point and position along the axis, with its uncertainty) and the score (product of the "
        "edges' scores).")
        .def_readonly("first", &OCaliperPair::first, "The first edge along the axis.")
        .def_readonly("second", &OCaliperPair::second, "The second edge along the axis.")
        .def_readonly("width", &OCaliperPair::width, "second.position - first.position, pixels.")
        .def_readonly("width_sigma", &OCaliperPair::widthSigma,
                      "1-sigma uncertainty of the width, pixels.")
        .def_readonly("center_x", &OCaliperPair::centerX, "x of the centre, pixels.")
        .def_readonly("center_y", &OCaliperPair::centerY, "y of the centre, pixels.")
        .def_readonly("center_position", &OCaliperPair::centerPosition,
                      "Position of the centre along the axis, pixels.")
        .def_readonly("center_sigma", &OCaliperPair::centerSigma,
                      "1-sigma uncertainty of the centre's position, pixels.")
        .def_readonly("score", &OCaliperPair::score, "Product of the two edges' scores.")
        .def_property_readonly(
            "center", [](const OCaliperPair& p) { return py::make_tuple(p.centerX, p.centerY); },
            "(x, y) of the centre in pixels.")
        .def("__repr__", &PairRepr);

    py::class_<OCaliperEdgeResult> edges(
        m, "EdgeResult",
        "The edges one caliper found, in axis order: a sequence of CaliperEdge (len, indexing, "
        "iteration), true when any was found; otherwise empty with `status` and `status_text` "
        "saying why (no edge above the threshold, outside the image, ...).");
    DefineSequence(edges, &OCaliperEdgeResult::edges);
    edges.def_readonly("edges", &OCaliperEdgeResult::edges, "The edges as a list of CaliperEdge.")
        .def("__repr__", [](const OCaliperEdgeResult& r) {
            return ResultRepr("EdgeResult", r, r.edges, &EdgeRepr);
        });

    py::class_<OCaliperPairResult> pairs(
        m, "PairResult",
        "The pairs one caliper found, in axis order: a sequence of CaliperPair, true when any "
        "was found; otherwise empty with `status` and `status_text` saying why.");
    DefineSequence(pairs, &OCaliperPairResult::pairs);
    pairs.def_readonly("pairs", &OCaliperPairResult::pairs, "The pairs as a list of CaliperPair.")
        .def("__repr__", [](const OCaliperPairResult& r) {
            return ResultRepr("PairResult", r, r.pairs, &PairRepr);
        });

    py::class_<OCaliperProfile>(
        m, "CaliperProfile",
        "A caliper's sampled profile, one entry per sample along the axis: positions (pixels), "
        "values (mean grey value across the width), derivative (grey levels per pixel after the "
        "Gaussian derivative of sigma; NaN within the filter's reach of either end and next to "
        "samples outside the image) and outside (True for samples outside the image), as NumPy "
        "arrays; status OK, PARTLY_OUTSIDE_IMAGE or OUTSIDE_IMAGE.")
        .def_property_readonly(
            "positions", [](const OCaliperProfile& p) { return Doubles(p.positions); },
            "Positions along the axis, pixels (float64).")
        .def_property_readonly(
            "values", [](const OCaliperProfile& p) { return Doubles(p.values); },
            "Mean grey value across the width (float64; NaN where no line is inside).")
        .def_property_readonly(
            "derivative", [](const OCaliperProfile& p) { return Doubles(p.derivative); },
            "Filtered derivative, grey levels per pixel (float64).")
        .def_property_readonly(
            "outside",
            [](const OCaliperProfile& p) {
                py::array_t<bool> flags(static_cast<py::ssize_t>(p.outside.size()));
                std::copy(p.outside.begin(), p.outside.end(), flags.mutable_data());
                return flags;
            },
            "True for samples outside the image (bool).")
        .def_property_readonly(
            "status", [](const OCaliperProfile& p) { return p.status; }, "CaliperStatus.")
        .def_property_readonly(
            "status_text", [](const OCaliperProfile& p) { return std::string(p.StatusText()); },
            "The status in words.")
        .def("__len__", [](const OCaliperProfile& p) { return p.positions.size(); })
        .def("__repr__", [](const OCaliperProfile& p) {
            return "CaliperProfile(samples=" + std::to_string(p.positions.size()) +
                   ", status=" + Name(p.status) + ")";
        });
}

}  // namespace

void BindCaliperTypes(py::module_& m) {
    BindCaliperEnums(m);
    BindCaliperSettings(m);
    BindCaliperResults(m);
}

}  // namespace pybinding

// The precision calipers: LineCaliper (the library's OCaliperLine) and ArcCaliper (OCaliperArc,
// with its angles kept in degrees as given), each measuring edges, pairs and its profile on 8- or
// 16-bit images without the interpreter lock.
//
// Speed: a caliper is made once and measured many times; measure_edges(image) and
// measure_edges(image, settings) are the fast forms (one overload that pybind11 matches first,
// with positional arguments only). Keyword overrides (measure_edges(image, polarity=...)) take a
// second overload whose keyword handling costs about a microsecond per call.

#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <utility>

#include "Bindings.h"
#include "CaliperArguments.h"
#include "ImageArgument.h"
#include "PointArrays.h"
#include "caliper/OCaliper.h"

namespace py = pybind11;

namespace pybinding {
namespace {

constexpr double kDefaultWidth = 1.0;
constexpr double kDefaultStep = 1.0;
constexpr double kDefaultSigma = 1.0;
constexpr double kDefaultStartDegrees = 0.0;
constexpr double kFullTurnDegrees = 360.0;

// An arc caliper with its angles as the caller gave them (degrees), so that they read back
// exactly.
struct ArcCaliper {
    OCaliperArc region;
    double startDegrees = 0.0;
    double sweepDegrees = 0.0;
};

const OCaliperLine& RegionOf(const OCaliperLine& line) {
    return line;
}
const OCaliperArc& RegionOf(const ArcCaliper& arc) {
    return arc.region;
}

std::string Number(double value) {
    return std::string(py::repr(py::float_(value)));
}

std::string PointText(double x, double y) {
    return "(" + Number(x) + ", " + Number(y) + ")";
}

// One caliper call on the image's own pixel type, without the interpreter lock. The settings
// are copied first: the Python object they come from may be changed by another thread meanwhile.
template <class Self, class Settings, class Call>
auto Measure(const Self& self, ImageArgument& image, const Settings& settings, Call call) {
    const Settings copy = settings;
    const auto& region = RegionOf(self);
    decltype(call(std::declval<const OType_Image&>(), region, copy)) result;
    {
        py::gil_scoped_release withoutInterpreterLock;
        result = image.Get().Visit([&](const auto& grey) { return call(grey, region, copy); });
    }
    RaiseIfRefused(result.status, "");
    return result;
}

const auto kEdges = [](const auto& grey, const auto& region, const OCaliperEdgeSettings& s) {
    return OCaliper::MeasureEdges(grey, region, s);
};
const auto kPairs = [](const auto& grey, const auto& region, const OCaliperPairSettings& s) {
    return OCaliper::MeasurePairs(grey, region, s);
};
const auto kProfile = [](const auto& grey, const auto& region, double sigma) {
    return OCaliper::SampleProfile(grey, region, sigma);
};

template <class Self>
void DefineMeasurements(py::class_<Self>& c) {
    using OptionalPolarity = std::optional<OCaliperPolarity>;
    c.def(
         "measure_edges",
         [](const Self& self, ImageArgument image, const OCaliperEdgeSettings& settings) {
             return Measure(self, image, settings, kEdges);
         },
         py::arg("image"), py::arg("settings") = OCaliperEdgeSettings(),
         "The edges along the caliper (an Image or a 2-D uint8 or uint16 array; thresholds in "
         "the image's own grey scale) as an EdgeResult: empty, with its status, when none is "
         "found or the caliper lies (partly) outside the image. The fast form: pass an Image "
         "and an EdgeSettings made once.")
        .def(
            "measure_edges",
            [](const Self& self, ImageArgument image, std::optional<OCaliperEdgeSettings> settings,
               std::optional<double> sigma, std::optional<double> threshold,
               OptionalPolarity polarity, std::optional<OCaliperSelection> selection,
               std::optional<int> n) {
                const EdgeOverrides overrides{sigma, threshold, polarity, selection, n};
                return Measure(self, image, overrides.Apply(settings), kEdges);
            },
            py::arg("image"), py::arg("settings") = py::none(), py::kw_only(),
            py::arg("sigma") = py::none(), py::arg("threshold") = py::none(),
            py::arg("polarity") = py::none(), py::arg("selection") = py::none(),
            py::arg("n") = py::none(),
            "The same with single settings given as keywords, overriding those of `settings` "
            "(default EdgeSettings()).")
        .def(
            "measure_pairs",
            [](const Self& self, ImageArgument image, const OCaliperPairSettings& settings) {
                return Measure(self, image, settings, kPairs);
            },
            py::arg("image"), py::arg("settings") = OCaliperPairSettings(),
            "The edge pairs along the caliper (a bright bar by default) as a PairResult: empty, "
            "with its status, when none is found (NOT_RESOLVED: two edges too close to be "
            "measured apart).")
        .def(
            "measure_pairs",
            [](const Self& self, ImageArgument image, std::optional<OCaliperPairSettings> settings,
               std::optional<double> sigma, std::optional<double> threshold,
               OptionalPolarity firstPolarity, OptionalPolarity secondPolarity,
               std::optional<double> minWidth, std::optional<double> maxWidth,
               std::optional<OCaliperPairSelection> selection, std::optional<double> blur) {
                const PairOverrides overrides{sigma,    threshold, firstPolarity, secondPolarity,
                                              minWidth, maxWidth,  selection,     blur};
                return Measure(self, image, overrides.Apply(settings), kPairs);
            },
            py::arg("image"), py::arg("settings") = py::none(), py::kw_only(),
            py::arg("sigma") = py::none(), py::arg("threshold") = py::none(),
            py::arg("first_polarity") = py::none(), py::arg("second_polarity") = py::none(),
            py::arg("min_width") = py::none(), py::arg("max_width") = py::none(),
            py::arg("selection") = py::none(), py::arg("blur") = py::none(),
            "The same with single settings given as keywords, overriding those of `settings` "
            "(default PairSettings()).")
        .def(
            "profile",
            [](const Self& self, ImageArgument image, double sigma) {
                CheckSigma(sigma);
                return Measure(self, image, sigma, kProfile);
            },
            py::arg("image"), py::arg("sigma") = kDefaultSigma,
            "The sampled profile and its derivative filtered with `sigma` pixels, for plotting "
            "and for choosing thresholds: a CaliperProfile.");
}

}  // namespace

void BindCalipers(py::module_& m) {
    py::class_<OCaliperLine> line(
        m, "LineCaliper",
        "A line caliper: a rectangle whose axis runs from `start` to `end` (pixels, pixel i "
        "covers [i, i + 1)) and that reaches width / 2 to either side. Its profile is sampled "
        "every `step` pixels along the axis, each sample the mean of ceil(width) lines across "
        "it. Rising edges go from dark to bright in the direction from start to end. Made once, "
        "measured many times (immutable).");
    line.def(py::init([](const Point& start, const Point& end, double width, double step) {
                 const OCaliperLine region{start[0], start[1], end[0], end[1], width, step};
                 CheckRegion(region);
                 return region;
             }),
             py::arg("start"), py::arg("end"), py::arg("width") = kDefaultWidth,
             py::arg("step") = kDefaultStep,
             "A caliper from start to end (x, y) in pixels, `width` pixels wide, sampled every "
             "`step` pixels. ValueError for coordinates that are not finite, start = end, or a "
             "width or step that is not positive.")
        .def_property_readonly(
            "start", [](const OCaliperLine& r) { return py::make_tuple(r.startX, r.startY); },
            "Start of the axis, (x, y) pixels.")
        .def_property_readonly(
            "end", [](const OCaliperLine& r) { return py::make_tuple(r.endX, r.endY); },
            "End of the axis, (x, y) pixels.")
        .def_readonly("width", &OCaliperLine::width, "Width across the axis, pixels.")
        .def_readonly("step", &OCaliperLine::step, "Distance between samples, pixels.")
        .def("__repr__", [](const OCaliperLine& r) {
            return "LineCaliper(start=" + PointText(r.startX, r.startY) +
                   ", end=" + PointText(r.endX, r.endY) + ", width=" + Number(r.width) +
                   ", step=" + Number(r.step) + ")";
        });
    DefineMeasurements(line);

    py::class_<ArcCaliper> arc(
        m, "ArcCaliper",
        "An arc caliper: a sector of a ring `width` pixels wide across the circle of `radius` "
        "around `center`, along the arc from `start_angle` through `sweep` (degrees, 0 along +x, "
        "positive clockwise on screen, as for CirclePath). Samples every `step` pixels of arc "
        "length; positions along it are arc lengths from the start. Immutable.");
    arc.def(py::init([](const Point& center, double radius, double startAngle, double sweep,
                        double width, double step) {
                ArcCaliper a;
                a.region = {center[0],
                            center[1],
                            radius,
                            RadiansFromDegrees(startAngle),
                            RadiansFromDegrees(sweep),
                            width,
                            step};
                a.startDegrees = startAngle;
                a.sweepDegrees = sweep;
                CheckRegion(a.region);
                return a;
            }),
            py::arg("center"), py::arg("radius"), py::arg("start_angle") = kDefaultStartDegrees,
            py::arg("sweep") = kFullTurnDegrees, py::arg("width") = kDefaultWidth,
            py::arg("step") = kDefaultStep,
            "An arc caliper around center (x, y) in pixels; angles in degrees. ValueError for "
            "values that are not finite, a radius, width or step that is not positive, or a "
            "sweep of 0.")
        .def_property_readonly(
            "center",
            [](const ArcCaliper& a) { return py::make_tuple(a.region.centerX, a.region.centerY); },
            "Centre, (x, y) pixels.")
        .def_property_readonly(
            "radius", [](const ArcCaliper& a) { return a.region.radius; }, "Radius, pixels.")
        .def_readonly("start_angle", &ArcCaliper::startDegrees, "Start angle, degrees.")
        .def_readonly("sweep", &ArcCaliper::sweepDegrees, "Sweep, degrees, signed.")
        .def_property_readonly(
            "width", [](const ArcCaliper& a) { return a.region.width; },
            "Width across the arc, pixels.")
        .def_property_readonly(
            "step", [](const ArcCaliper& a) { return a.region.step; },
            "Arc length between samples, pixels.")
        .def("__repr__", [](const ArcCaliper& a) {
            return "ArcCaliper(center=" + PointText(a.region.centerX, a.region.centerY) +
                   ", radius=" + Number(a.region.radius) +
                   ", start_angle=" + Number(a.startDegrees) + ", sweep=" + Number(a.sweepDegrees) +
                   ", width=" + Number(a.region.width) + ", step=" + Number(a.region.step) + ")";
        });
    DefineMeasurements(arc);
}

}  // namespace pybinding

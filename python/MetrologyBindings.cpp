// The metrology tools: find circle, find line and measure width, each a rake of calipers with the
// fitted figure and its uncertainties, on 8- or 16-bit images without the interpreter lock.
//
// Settings come as keyword arguments with the library's defaults, checked here so that a bad one
// raises ValueError with its name; a tool that ran and could not measure (too few edges, the
// calipers outside the image, a fit that failed) answers a false result whose status says why.
// The calipers' settings come as an EdgeSettings (`edge`) or a PairSettings (`pair`) with their
// fields also as keywords; the fits' filters are the module's Filter values.

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Bindings.h"
#include "CaliperArguments.h"
#include "ImageArgument.h"
#include "PointArrays.h"
#include "metrology/OMetrology.h"
#include "regression/OVector_Regression.h"

namespace py = pybind11;

namespace pybinding {
namespace {

constexpr double kFullTurnDegrees = 360.0;
constexpr int kSearchLevelMax = 8;
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr int kCovarianceSide = 3;
constexpr py::ssize_t kPointColumns = 2;    // x, y
constexpr py::ssize_t kSegmentColumns = 4;  // start x, start y, end x, end y

std::string Number(double value) {
    return std::string(py::repr(py::float_(value)));
}

template <class Enum>
std::string Name(Enum value) {
    return std::string(py::str(py::cast(value)));
}

void CheckCount(int calipers) {
    if (calipers < 1 || calipers > kMaxCalipers) {
        throw py::value_error("calipers must lie in 1.." + std::to_string(kMaxCalipers) + ", got " +
                              std::to_string(calipers));
    }
}

void CheckSegment(const Point& start, const Point& end) {
    CheckFinite(start, "start");
    CheckFinite(end, "end");
    if (start == end) {
        throw py::value_error("start and end must be apart");
    }
}

void CheckClipFactor(double clipFactor) {
    if (!(clipFactor >= 0.0) || !std::isfinite(clipFactor)) {
        throw py::value_error(
            "clip_factor must be a finite number >= 0 (0: no residual check), got " +
            Number(clipFactor));
    }
}

void CheckFitBand(int passes, double sigmaFactor, double clipFactor) {
    if (passes < 0) {
        throw py::value_error("filter_passes must be >= 0, got " + std::to_string(passes));
    }
    CheckPositive(sigmaFactor, "sigma_factor");
    CheckClipFactor(clipFactor);
}

// A tool that refused its settings after the checks above: the calipers refused theirs (a sigma
// too large for the caliper's length).
template <class Result>
Result Checked(Result result) {
    if (result.status == OMetrologyStatus::BadSettings) {
        throw py::value_error(result.reason);
    }
    return result;
}

// The module's Filter values as the tools take them: the circle's band on or off, the line's
// filter.
int FilterCode(py::handle filter, const py::object& filterType) {
    if (!py::isinstance(filter, filterType)) {
        throw py::type_error("filter must be an edgedetection.Filter");
    }
    return filter.attr("value").cast<int>();
}

bool CircleBand(int code) {
    if (code != OVector_Regression::kFilterNone && code != OVector_Regression::kFilterStdDev) {
        throw py::value_error("find_circle's filter is Filter.STDDEV or Filter.NONE");
    }
    return code == OVector_Regression::kFilterStdDev;
}

OLineFilter LineFilter(int code) {
    switch (code) {
        case OVector_Regression::kFilterStdDev:
            return OLineFilter::StdDev;
        case OVector_Regression::kFilterDETSAC:
            return OLineFilter::DETSAC;
        case OVector_Regression::kFilterDETSAC_FPGA:
            return OLineFilter::DETSACFixed;
        default:
            return OLineFilter::None;
    }
}

template <class Settings, class Result, class Tool>
Result Run(ImageArgument& image, const Settings& settings, Tool tool) {
    Result result;
    {
        py::gil_scoped_release withoutInterpreterLock;
        result = image.Get().Visit([&](const auto& grey) { return tool(grey, settings); });
    }
    return Checked(std::move(result));
}

// What every result shares: its status, its counts and the per-caliper records.
template <class Result>
void DefineOutcome(py::class_<Result>& c) {
    c.def("__bool__", &Result::Ok, "True when the tool measured (status OK).")
        .def_property_readonly(
            "status", [](const Result& r) { return r.status; },
            "MetrologyStatus: OK, or why the tool could not measure.")
        .def_readonly("status_text", &Result::reason, "The status in words, with its counts.")
        .def_readonly("found_fraction", &Result::foundFraction,
                      "Share of the calipers that found an edge (pair).")
        .def_readonly("kept_count", &Result::keptCount, "Edges (pairs) the fit used.")
        .def_readonly("rejected_count", &Result::rejectedCount,
                      "Found edges (pairs) the fit rejected as outliers.")
        .def_readonly("calipers", &Result::calipers, "Every caliper of the rake, in order.");
}

// Per-caliper columns of a result as NumPy arrays, one row per caliper of the rake in order, for
// scripts that select (points[kept]) or plot rather than walk the caliper list.
template <class T, class Caliper, class Value>
py::array_t<T> Column(const std::vector<Caliper>& calipers, Value value) {
    py::array_t<T> column(static_cast<py::ssize_t>(calipers.size()));
    T* out = column.mutable_data();
    for (const Caliper& c : calipers) {
        *out++ = value(c);
    }
    return column;
}

// Two columns side by side, shape (n, 2): points in pixels.
template <class Caliper, class Value>
py::array_t<double> PointColumn(const std::vector<Caliper>& calipers, Value value) {
    py::array_t<double> points({static_cast<py::ssize_t>(calipers.size()), kPointColumns});
    double* out = points.mutable_data();
    for (const Caliper& c : calipers) {
        const Point p = value(c);
        *out++ = p[0];
        *out++ = p[1];
    }
    return points;
}

// The columns every rake has: its calipers' axes, statuses and what the fit kept.
template <class Result>
void DefineRakeColumns(py::class_<Result>& c) {
    using Caliper = typename decltype(Result::calipers)::value_type;
    c.def_property_readonly(
         "segments",
         [](const Result& r) {
             py::array_t<double> segments(
                 {static_cast<py::ssize_t>(r.calipers.size()), kSegmentColumns});
             double* out = segments.mutable_data();
             for (const Caliper& k : r.calipers) {
                 for (const double v :
                      {k.region.startX, k.region.startY, k.region.endX, k.region.endY}) {
                     *out++ = v;
                 }
             }
             return segments;
         },
         "Each caliper's axis as (n, 4) float64: start x, start y, end x, end y (pixels), as "
         "measure_calipers takes them.")
        .def_property_readonly(
            "caliper_status",
            [](const Result& r) {
                return Column<std::int8_t>(r.calipers, [](const Caliper& k) {
                    return static_cast<std::int8_t>(k.status);
                });
            },
            "Each caliper's CaliperStatus value, (n,) int8 (0 is OK): why it found nothing.")
        .def_property_readonly(
            "found",
            [](const Result& r) {
                return Column<bool>(r.calipers, [](const Caliper& k) { return k.Found(); });
            },
            "True for the calipers that found an edge (pair), bool (n,).")
        .def_property_readonly(
            "kept",
            [](const Result& r) {
                return Column<bool>(r.calipers, [](const Caliper& k) { return k.kept; });
            },
            "True for the calipers whose edge (pair) the fit used, bool (n,).");
}

// The columns of the rakes of single edges (find_circle, find_line).
template <class Result>
void DefineEdgeColumns(py::class_<Result>& c) {
    DefineRakeColumns(c);
    c.def_property_readonly(
         "points",
         [](const Result& r) {
             return PointColumn(r.calipers, [](const OMetrologyCaliper& k) {
                 return k.Found() ? Point{k.edge.x, k.edge.y} : Point{kNone, kNone};
             });
         },
         "Each caliper's edge, (n, 2) float64 pixels; NaN where it found none.")
        .def_property_readonly(
            "sigmas",
            [](const Result& r) {
                return Column<double>(r.calipers, [](const OMetrologyCaliper& k) {
                    return k.Found() ? k.edge.sigma : kNone;
                });
            },
            "Each edge's 1-sigma position uncertainty, (n,) float64 pixels; NaN where none.")
        .def_property_readonly(
            "residuals",
            [](const Result& r) {
                return Column<double>(r.calipers, [&r](const OMetrologyCaliper& k) {
                    return k.Found() && r.Ok() ? k.residual : kNone;
                });
            },
            "Each edge's signed distance from the fitted figure, (n,) float64 pixels; NaN "
            "where a caliper found none or nothing was fitted.");
}

template <class Result>
std::string FailedRepr(const char* name, const Result& r) {
    return std::string(name) + "(status=" + Name(r.status) + ", status_text='" + r.reason + "')";
}

std::string KeptText(int kept, std::size_t calipers) {
    return ", kept=" + std::to_string(kept) + " of " + std::to_string(calipers) + ")";
}

void BindMetrologyTypes(py::module_& m) {
    py::enum_<OMetrologyStatus>(
        m, "MetrologyStatus",
        "Why a metrology tool could not measure (OK when it did). BAD_SETTINGS is raised as "
        "ValueError and EMPTY_IMAGE cannot occur; OUTSIDE_IMAGE, TOO_FEW_EDGES and FIT_FAILED "
        "are answers.")
        .value("OK", OMetrologyStatus::Ok)
        .value("BAD_SETTINGS", OMetrologyStatus::BadSettings)
        .value("EMPTY_IMAGE", OMetrologyStatus::EmptyImage)
        .value("OUTSIDE_IMAGE", OMetrologyStatus::OutsideImage)
        .value("TOO_FEW_EDGES", OMetrologyStatus::TooFewEdges)
        .value("FIT_FAILED", OMetrologyStatus::FitFailed);
    py::enum_<OCircleSearch>(m, "CircleSearch",
                             "Which way the calipers of find_circle run along the radius.")
        .value("OUTWARDS", OCircleSearch::Outwards)
        .value("INWARDS", OCircleSearch::Inwards);
    py::enum_<OLineSearch>(m, "LineSearch",
                           "Which way the calipers of find_line run across the line: "
                           "LEFT_TO_RIGHT towards the right-hand side of one walking from its "
                           "start to its end (on screen, y downwards, towards (-dy, dx)), "
                           "RIGHT_TO_LEFT the other way.")
        .value("LEFT_TO_RIGHT", OLineSearch::LeftToRight)
        .value("RIGHT_TO_LEFT", OLineSearch::RightToLeft);
    py::enum_<OLineRefit>(m, "LineRefit",
                          "The line find_line reports through the edges its filter kept: "
                          "GEOMETRIC (weighted total least squares, the default) or REGRESSION "
                          "(the regression's own line).")
        .value("GEOMETRIC", OLineRefit::Geometric)
        .value("REGRESSION", OLineRefit::Regression);

    py::class_<OMetrologyCaliper>(
        m, "MetrologyCaliper",
        "One caliper of a find_circle or find_line rake: its region (a LineCaliper), its status, "
        "the edge it found (None without one), whether the fit used it and its signed residual "
        "from the fitted figure (pixels).")
        .def_readonly("region", &OMetrologyCaliper::region, "The caliper, a LineCaliper.")
        .def_readonly("status", &OMetrologyCaliper::status, "CaliperStatus of the caliper.")
        .def_property_readonly("found", &OMetrologyCaliper::Found, "True when it found an edge.")
        .def_property_readonly(
            "edge",
            [](const OMetrologyCaliper& c) -> std::optional<OCaliperEdge> {
                return c.Found() ? std::optional<OCaliperEdge>(c.edge) : std::nullopt;
            },
            "The CaliperEdge it found, or None.")
        .def_readonly("kept", &OMetrologyCaliper::kept, "True when the fit used the edge.")
        .def_readonly("residual", &OMetrologyCaliper::residual,
                      "Signed distance of the edge from the fitted figure, pixels (0 without).")
        .def("__repr__", [](const OMetrologyCaliper& c) {
            if (!c.Found()) {
                return "MetrologyCaliper(status=" + Name(c.status) + ")";
            }
            return "MetrologyCaliper(x=" + Number(c.edge.x) + ", y=" + Number(c.edge.y) +
                   ", sigma=" + Number(c.edge.sigma) + ", kept=" + (c.kept ? "True" : "False") +
                   ", residual=" + Number(c.residual) + ")";
        });

    py::class_<OMetrologyPairCaliper>(
        m, "MetrologyPairCaliper",
        "One caliper of a measure_width rake: its region, status, the pair it found (None "
        "without one), the pair's width corrected for the rake's tilt and whether it was used.")
        .def_readonly("region", &OMetrologyPairCaliper::region, "The caliper, a LineCaliper.")
        .def_readonly("status", &OMetrologyPairCaliper::status, "CaliperStatus of the caliper.")
        .def_property_readonly("found", &OMetrologyPairCaliper::Found, "True when it found a pair.")
        .def_property_readonly(
            "pair",
            [](const OMetrologyPairCaliper& c) -> std::optional<OCaliperPair> {
                return c.Found() ? std::optional<OCaliperPair>(c.pair) : std::nullopt;
            },
            "The CaliperPair it found, or None.")
        .def_readonly("width", &OMetrologyPairCaliper::width,
                      "The pair's width corrected for the tilt, pixels.")
        .def_readonly("kept", &OMetrologyPairCaliper::kept, "True when the mean used it.")
        .def("__repr__", [](const OMetrologyPairCaliper& c) {
            if (!c.Found()) {
                return "MetrologyPairCaliper(status=" + Name(c.status) + ")";
            }
            return "MetrologyPairCaliper(width=" + Number(c.width) +
                   ", kept=" + (c.kept ? "True" : "False") + ")";
        });

    py::class_<OFindCircleResult> circle(
        m, "CircleResult",
        "What find_circle measured: the circle's centre x, y and radius with their 1-sigma "
        "uncertainties and covariance (pixels), the RMS residual of the edges used, and every "
        "caliper. False, with status and status_text, when it could not measure.");
    DefineOutcome(circle);
    DefineEdgeColumns(circle);
    circle.def_readonly("x", &OFindCircleResult::centerX, "Centre x, pixels.")
        .def_readonly("y", &OFindCircleResult::centerY, "Centre y, pixels.")
        .def_readonly("radius", &OFindCircleResult::radius, "Radius, pixels.")
        .def_readonly("x_sigma", &OFindCircleResult::centerXSigma, "1-sigma of x, pixels.")
        .def_readonly("y_sigma", &OFindCircleResult::centerYSigma, "1-sigma of y, pixels.")
        .def_readonly("radius_sigma", &OFindCircleResult::radiusSigma,
                      "1-sigma of the radius, pixels.")
        .def_readonly("rms", &OFindCircleResult::rms,
                      "RMS distance of the edges used from the circle, pixels.")
        .def_property_readonly(
            "center",
            [](const OFindCircleResult& r) { return py::make_tuple(r.centerX, r.centerY); },
            "(x, y) in pixels.")
        .def_property_readonly(
            "covariance",
            [](const OFindCircleResult& r) {
                return py::array_t<double>({kCovarianceSide, kCovarianceSide}, &r.covariance[0][0]);
            },
            "Covariance of (x, y, radius), pixels squared, 3 x 3.")
        .def("__repr__", [](const OFindCircleResult& r) {
            if (!r.Ok()) {
                return FailedRepr("CircleResult", r);
            }
            return "CircleResult(x=" + Number(r.centerX) + ", y=" + Number(r.centerY) +
                   ", radius=" + Number(r.radius) + ", radius_sigma=" + Number(r.radiusSigma) +
                   ", rms=" + Number(r.rms) + KeptText(r.keptCount, r.calipers.size());
        });

    py::class_<OFindLineResult> line(
        m, "LineResult",
        "What find_line measured: a point x, y on the line (the weighted centroid of the edges "
        "used, where angle and offset are uncorrelated) and its angle in radians (the direction "
        "from the rake's start towards its end), with the angle's and the offset's 1-sigma "
        "uncertainties, the RMS residual and every caliper. False, with status and "
        "status_text, when it could not measure.");
    DefineOutcome(line);
    DefineEdgeColumns(line);
    line.def_readonly("x", &OFindLineResult::pointX, "x of the point on the line, pixels.")
        .def_readonly("y", &OFindLineResult::pointY, "y of the point on the line, pixels.")
        .def_readonly("angle", &OFindLineResult::angle, "Direction, radians in (-pi, pi].")
        .def_readonly("angle_sigma", &OFindLineResult::angleSigma, "1-sigma of the angle, rad.")
        .def_readonly("offset_sigma", &OFindLineResult::offsetSigma,
                      "1-sigma across the line at the point, pixels.")
        .def_readonly("rms", &OFindLineResult::rms,
                      "RMS distance of the edges used from the line, pixels.")
        .def_property_readonly(
            "point", [](const OFindLineResult& r) { return py::make_tuple(r.pointX, r.pointY); },
            "(x, y) in pixels.")
        .def_property_readonly(
            "direction",
            [](const OFindLineResult& r) {
                return py::make_tuple(std::cos(r.angle), std::sin(r.angle));
            },
            "Unit direction (cos angle, sin angle).")
        .def("offset_sigma_at", &OFindLineResult::OffsetSigmaAt, py::arg("x"), py::arg("y"),
             "1-sigma across the line at the foot of (x, y): grows with the distance along the "
             "line from the point by the angle's uncertainty.")
        .def("distance_to", &OFindLineResult::DistanceTo, py::arg("x"), py::arg("y"),
             "Signed distance of (x, y) from the line, positive on its right-hand side on "
             "screen.")
        .def("__repr__", [](const OFindLineResult& r) {
            if (!r.Ok()) {
                return FailedRepr("LineResult", r);
            }
            return "LineResult(x=" + Number(r.pointX) + ", y=" + Number(r.pointY) +
                   ", angle=" + Number(r.angle) + ", angle_sigma=" + Number(r.angleSigma) +
                   ", offset_sigma=" + Number(r.offsetSigma) + ", rms=" + Number(r.rms) +
                   KeptText(r.keptCount, r.calipers.size());
        });

    py::class_<OMeasureWidthResult> width(
        m, "WidthResult",
        "What measure_width measured: the uncertainty-weighted mean width of the pairs used "
        "with its 1-sigma uncertainty, their spread, least and largest width, the tilt between "
        "the calipers and the bar's normal (radians) and every caliper. False, with status and "
        "status_text, when it could not measure.");
    DefineOutcome(width);
    DefineRakeColumns(width);
    width
        .def_property_readonly(
            "widths",
            [](const OMeasureWidthResult& r) {
                return Column<double>(r.calipers, [](const OMetrologyPairCaliper& k) {
                    return k.Found() ? k.width : kNone;
                });
            },
            "Each caliper's width corrected for the tilt, (n,) float64 pixels; NaN where it "
            "found no pair.")
        .def_property_readonly(
            "centers",
            [](const OMeasureWidthResult& r) {
                return PointColumn(r.calipers, [](const OMetrologyPairCaliper& k) {
                    return k.Found() ? Point{k.pair.centerX, k.pair.centerY} : Point{kNone, kNone};
                });
            },
            "Each pair's centre, (n, 2) float64 pixels; NaN where a caliper found none.")
        .def_readonly("width", &OMeasureWidthResult::width, "Mean width, pixels.")
        .def_readonly("width_sigma", &OMeasureWidthResult::widthSigma,
                      "1-sigma of the width, pixels.")
        .def_readonly("spread", &OMeasureWidthResult::spread,
                      "Standard deviation of the widths used (0 for one pair), pixels.")
        .def_readonly("min_width", &OMeasureWidthResult::minWidth, "Least width used, pixels.")
        .def_readonly("max_width", &OMeasureWidthResult::maxWidth, "Largest width used, pixels.")
        .def_readonly("tilt", &OMeasureWidthResult::tilt,
                      "Angle between the calipers' axis and the bar's normal, radians.")
        .def("__repr__", [](const OMeasureWidthResult& r) {
            if (!r.Ok()) {
                return FailedRepr("WidthResult", r);
            }
            return "WidthResult(width=" + Number(r.width) +
                   ", width_sigma=" + Number(r.widthSigma) + ", spread=" + Number(r.spread) +
                   KeptText(r.keptCount, r.calipers.size());
        });
}

}  // namespace

void BindMetrology(py::module_& m) {
    BindMetrologyTypes(m);
    const py::object filterType = m.attr("Filter");
    const py::object stdDev = filterType.attr("STDDEV");
    const py::object detsac = filterType.attr("DETSAC");
    using OptionalPolarity = std::optional<OCaliperPolarity>;

    m.def(
        "find_circle",
        [filterType](ImageArgument image, const Point& center, double radius, double startAngle,
                     double sweep, int calipers, double caliperLength, double caliperWidth,
                     OCircleSearch search, std::optional<OCaliperEdgeSettings> edge,
                     std::optional<double> sigma, std::optional<double> threshold,
                     OptionalPolarity polarity, std::optional<OCaliperSelection> selection,
                     std::optional<int> n, py::handle filter, int filterPasses, double sigmaFactor,
                     double clipFactor) {
            CheckFinite(center, "center");
            CheckPositive(radius, "radius");
            CheckFiniteValue(startAngle, "start_angle");
            if (!(sweep != 0.0 && std::fabs(sweep) <= kFullTurnDegrees)) {
                throw py::value_error("sweep must lie in -360..360 degrees and not be 0, got " +
                                      Number(sweep));
            }
            CheckCount(calipers);
            CheckPositive(caliperLength, "caliper_length");
            CheckPositive(caliperWidth, "caliper_width");
            CheckFitBand(filterPasses, sigmaFactor, clipFactor);
            OFindCircleSettings s;
            s.centerX = center[0];
            s.centerY = center[1];
            s.radius = radius;
            s.startAngle = RadiansFromDegrees(startAngle);
            s.sweep = RadiansFromDegrees(sweep);
            s.calipers = calipers;
            s.caliperLength = caliperLength;
            s.caliperWidth = caliperWidth;
            s.search = search;
            s.edge = EdgeOverrides{sigma, threshold, polarity, selection, n}.Apply(edge);
            s.fit.filter = CircleBand(FilterCode(filter, filterType));
            s.fit.filterPasses = filterPasses;
            s.fit.sigmaFactor = sigmaFactor;
            s.fit.clipFactor = clipFactor;
            return Run<OFindCircleSettings, OFindCircleResult>(
                image, s, [](const auto& grey, const OFindCircleSettings& settings) {
                    return OMetrology::FindCircle(grey, settings);
                });
        },
        py::arg("image"), py::arg("center"), py::arg("radius"), py::kw_only(),
        py::arg("start_angle") = 0.0, py::arg("sweep") = kFullTurnDegrees,
        py::arg("calipers") = OFindCircleSettings().calipers,
        py::arg("caliper_length") = OFindCircleSettings().caliperLength,
        py::arg("caliper_width") = OFindCircleSettings().caliperWidth,
        py::arg("search") = OCircleSearch::Outwards, py::arg("edge") = py::none(),
        py::arg("sigma") = py::none(), py::arg("threshold") = py::none(),
        py::arg("polarity") = py::none(), py::arg("selection") = py::none(),
        py::arg("n") = py::none(), py::arg("filter") = stdDev,
        py::arg("filter_passes") = OCircleFitSettings().filterPasses,
        py::arg("sigma_factor") = OCircleFitSettings().sigmaFactor,
        py::arg("clip_factor") = OCircleFitSettings().clipFactor,
        "Find a circle near the expected one (center (x, y) and radius in pixels) with a rake "
        "of `calipers` line calipers caliper_length x caliper_width pixels across it, centred "
        "on it and running along the radius (OUTWARDS or INWARDS); on a full sweep they are "
        "spread evenly from start_angle, on part of one (degrees) with both ends included. Each "
        "caliper reports one edge (edge settings: `edge`, an EdgeSettings, with sigma, "
        "threshold, polarity, selection and n as keywords overriding it; polarity is seen along "
        "each caliper: a dark hole in a bright plate is RISING outwards). The circle is fitted "
        "with Filter.STDDEV's band (sigma_factor standard deviations, filter_passes passes; "
        "Filter.NONE: off), refitted weighted by the edges' uncertainties, and edges beyond "
        "clip_factor times the residual spread are dropped (0: off). Returns a CircleResult.");

    m.def(
        "find_line",
        [filterType](ImageArgument image, const Point& start, const Point& end, int calipers,
                     double caliperLength, double caliperWidth, OLineSearch search,
                     std::optional<OCaliperEdgeSettings> edge, std::optional<double> sigma,
                     std::optional<double> threshold, OptionalPolarity polarity,
                     std::optional<OCaliperSelection> selection, std::optional<int> n,
                     py::handle filter, int inlierDistance, int searchLevel, int filterPasses,
                     double sigmaFactor, OLineRefit refit, double clipFactor) {
            CheckSegment(start, end);
            CheckCount(calipers);
            CheckPositive(caliperLength, "caliper_length");
            CheckPositive(caliperWidth, "caliper_width");
            CheckFitBand(filterPasses, sigmaFactor, clipFactor);
            if (inlierDistance < 0) {
                throw py::value_error("inlier_distance must be >= 0, got " +
                                      std::to_string(inlierDistance));
            }
            if (searchLevel < 0 || searchLevel > kSearchLevelMax) {
                throw py::value_error("search_level must lie in 0..8, got " +
                                      std::to_string(searchLevel));
            }
            OFindLineSettings s;
            s.startX = start[0];
            s.startY = start[1];
            s.endX = end[0];
            s.endY = end[1];
            s.calipers = calipers;
            s.caliperLength = caliperLength;
            s.caliperWidth = caliperWidth;
            s.search = search;
            s.edge = EdgeOverrides{sigma, threshold, polarity, selection, n}.Apply(edge);
            s.fit.filter = LineFilter(FilterCode(filter, filterType));
            s.fit.inlierDistance = inlierDistance;
            s.fit.searchLevel = searchLevel;
            s.fit.filterPasses = filterPasses;
            s.fit.sigmaFactor = sigmaFactor;
            s.fit.refit = refit;
            s.fit.clipFactor = clipFactor;
            return Run<OFindLineSettings, OFindLineResult>(
                image, s, [](const auto& grey, const OFindLineSettings& settings) {
                    return OMetrology::FindLine(grey, settings);
                });
        },
        py::arg("image"), py::arg("start"), py::arg("end"), py::kw_only(),
        py::arg("calipers") = OFindLineSettings().calipers,
        py::arg("caliper_length") = OFindLineSettings().caliperLength,
        py::arg("caliper_width") = OFindLineSettings().caliperWidth,
        py::arg("search") = OLineSearch::LeftToRight, py::arg("edge") = py::none(),
        py::arg("sigma") = py::none(), py::arg("threshold") = py::none(),
        py::arg("polarity") = py::none(), py::arg("selection") = py::none(),
        py::arg("n") = py::none(), py::arg("filter") = detsac,
        py::arg("inlier_distance") = OLineFitSettings().inlierDistance,
        py::arg("search_level") = OLineFitSettings().searchLevel,
        py::arg("filter_passes") = OLineFitSettings().filterPasses,
        py::arg("sigma_factor") = OLineFitSettings().sigmaFactor,
        py::arg("refit") = OLineRefit::Geometric,
        py::arg("clip_factor") = OLineFitSettings().clipFactor,
        "Find a straight line near the expected segment from start to end (x, y in pixels) with "
        "a rake of `calipers` calipers caliper_length x caliper_width pixels spread over it "
        "(both ends included), each running across it LEFT_TO_RIGHT as seen looking from start "
        "to end (or RIGHT_TO_LEFT). Edge settings as for find_circle. The edges go to the "
        "regression's outlier filter (Filter.DETSAC with inlier_distance whole pixels and "
        "search_level 0..8 by default; DETSAC_FIXED, STDDEV with filter_passes and "
        "sigma_factor, or NONE), then the line through the edges it kept is refitted "
        "(LineRefit.GEOMETRIC, weighted by the edges' uncertainties, or REGRESSION) and "
        "residuals beyond clip_factor times their spread are dropped (0: off). Returns a "
        "LineResult.");

    m.def(
        "measure_width",
        [](ImageArgument image, const Point& start, const Point& end, double caliperWidth,
           int calipers, double spacing, std::optional<OCaliperPairSettings> pair,
           std::optional<double> sigma, std::optional<double> threshold,
           OptionalPolarity firstPolarity, OptionalPolarity secondPolarity,
           std::optional<double> minWidth, std::optional<double> maxWidth,
           std::optional<OCaliperPairSelection> selection, std::optional<double> blur,
           double clipFactor) {
            CheckSegment(start, end);
            CheckPositive(caliperWidth, "caliper_width");
            CheckCount(calipers);
            if (calipers > 1) {
                CheckPositive(spacing, "spacing");
            }
            CheckClipFactor(clipFactor);
            OMeasureWidthSettings s;
            s.startX = start[0];
            s.startY = start[1];
            s.endX = end[0];
            s.endY = end[1];
            s.caliperWidth = caliperWidth;
            s.calipers = calipers;
            s.spacing = spacing;
            s.pair = PairOverrides{sigma,    threshold, firstPolarity, secondPolarity,
                                   minWidth, maxWidth,  selection,     blur}
                         .Apply(pair);
            s.clipFactor = clipFactor;
            return Run<OMeasureWidthSettings, OMeasureWidthResult>(
                image, s, [](const auto& grey, const OMeasureWidthSettings& settings) {
                    return OMetrology::MeasureWidth(grey, settings);
                });
        },
        py::arg("image"), py::arg("start"), py::arg("end"), py::kw_only(),
        py::arg("caliper_width") = OMeasureWidthSettings().caliperWidth,
        py::arg("calipers") = OMeasureWidthSettings().calipers,
        py::arg("spacing") = OMeasureWidthSettings().spacing, py::arg("pair") = py::none(),
        py::arg("sigma") = py::none(), py::arg("threshold") = py::none(),
        py::arg("first_polarity") = py::none(), py::arg("second_polarity") = py::none(),
        py::arg("min_width") = py::none(), py::arg("max_width") = py::none(),
        py::arg("selection") = py::none(), py::arg("blur") = py::none(),
        py::arg("clip_factor") = OMeasureWidthSettings().clipFactor,
        "Measure the width of a bar or slot with a caliper from start to end (x, y in pixels) "
        "across it, caliper_width pixels wide, and with calipers > 1 a rake of copies `spacing` "
        "pixels apart along the bar, centred on it. Each caliper measures a pair (settings: "
        "`pair`, a PairSettings, with its fields as keywords overriding it; by default a bright "
        "bar, FALLING then RISING for a dark slot); with two pairs or more the widths are "
        "corrected for the tilt of the bar against the calipers, and widths beyond clip_factor "
        "times the spread of the others are dropped (0: off). Returns a WidthResult.");
}

}  // namespace pybinding

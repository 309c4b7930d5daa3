// Line and circle paths: construction, geometry queries, transition functions and records.
// The searches and the sub-pixel refinement are added by SearchBindings.cpp.

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Bindings.h"
#include "ImageArgument.h"
#include "PathObject.h"
#include "PointArrays.h"
#include "foundation/OByteStream.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "paths/OVectorPath_Polygon.h"

namespace py = pybind11;

namespace pybinding {

void DefineSearches(py::module_& m, py::class_<PathObject>& path);

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

// Grey-value range of the band and of the absolute-deviation thresholds, and the depth of the
// moving mean, as bCreateTransitionFunction accepts them (for the messages).
constexpr int kGreyMax = 255;
constexpr int kDepthMax = OVectorPath::kHistorySize;
// Longest arc accepted, in pixels (steps): far beyond any image, while listing its positions
// (points, profile, a Canny transition function) still fits in memory.
constexpr double kMaxArcLength = 1 << 22;
// Least Canny threshold.
constexpr int kCannyThresholdMin = 1;

// Bytes of a record head: the 32-bit length, then the 32-bit object ID.
constexpr std::size_t kRecordIdOffset = 4;
constexpr std::size_t kRecordHeadBytes = 8;

// The geometry of a circle path as it was created (or read from a record): its fields are
// protected, and a pointer to member formed through this derived helper reads them from any
// circle path without a cast of the object.
template <class Circle>
struct CircleFields;

template <>
struct CircleFields<OVectorPath_Circle> : OVectorPath_Circle {
    static OVector Center(const OVectorPath_Circle& c) { return c.*(&CircleFields::m_vCenter); }
    static double Radius(const OVectorPath_Circle& c) { return c.*(&CircleFields::m_dRadius); }
    static double StartRad(const OVectorPath_Circle& c) {
        return c.*(&CircleFields::m_dStartAngle_Rad);
    }
    static double EndRad(const OVectorPath_Circle& c) {
        return c.*(&CircleFields::m_dEndAngle_Rad);
    }
};

template <>
struct CircleFields<OVectorPath_Circle_Float> : OVectorPath_Circle_Float {
    static OVector Center(const OVectorPath_Circle_Float& c) {
        return c.*(&CircleFields::m_vCenter);
    }
    static double Radius(const OVectorPath_Circle_Float& c) {
        return c.*(&CircleFields::m_fRadius);
    }
    static double StartRad(const OVectorPath_Circle_Float& c) {
        return c.*(&CircleFields::m_fStartAngle_Rad);
    }
    static double EndRad(const OVectorPath_Circle_Float& c) {
        return c.*(&CircleFields::m_fEndAngle_Rad);
    }
};

std::string Number(double value) {
    return std::string(py::repr(py::float_(value)));
}

// Points go back to Python as (x, y) tuples.
py::tuple AsTuple(const Point& p) {
    return py::make_tuple(p[0], p[1]);
}

std::string PointText(const Point& p) {
    return "(" + Number(p[0]) + ", " + Number(p[1]) + ")";
}

class LinePath : public PathObject {
  public:
    explicit LinePath(std::unique_ptr<OVectorPath_Line> line)
        : PathObject(std::move(line), false) {}
    LinePath(const Point& start, const Point& end)
        : LinePath(std::make_unique<OVectorPath_Line>(ToVector(start), ToVector(end))) {}

    std::string Repr() {
        const auto [start, end, count] = Run([](OVectorPath& p) {
            OVector s;
            OVector e;
            p.GetStartVector(s);
            p.GetEndVector(e);
            return std::make_tuple(ToPoint(s), ToPoint(e), p.GetCount());
        });
        return "LinePath(start=" + PointText(start) + ", end=" + PointText(end) +
               ", count=" + std::to_string(count) + ")";
    }
};

template <class Circle>
class CirclePath : public PathObject {
  public:
    using LibraryPath = Circle;
    using Real = std::conditional_t<std::is_same_v<Circle, OVectorPath_Circle>, double, float>;

    explicit CirclePath(std::unique_ptr<Circle> circle) : PathObject(std::move(circle), true) {}
    CirclePath(const Point& center, Real radius, Real startDeg, Real sweepDeg)
        : CirclePath(std::make_unique<Circle>(ToVector(center), radius, startDeg, sweepDeg)) {}

    // Centre, radius, start angle and sweep in degrees, as the arc holds them.
    std::tuple<Point, double, double, double> Geometry() {
        return Run([](OVectorPath& p) {
            const auto& c = static_cast<const Circle&>(p);
            const double start = CircleFields<Circle>::StartRad(c);
            const double end = CircleFields<Circle>::EndRad(c);
            return std::make_tuple(ToPoint(CircleFields<Circle>::Center(c)),
                                   CircleFields<Circle>::Radius(c), start * kDegreesPerRadian,
                                   (end - start) * kDegreesPerRadian);
        });
    }

    std::string Repr(const char* name) {
        const auto [center, radius, start, sweep] = Geometry();
        const int count = Run([](OVectorPath& p) { return p.GetCount(); });
        return std::string(name) + "(center=" + PointText(center) + ", radius=" + Number(radius) +
               ", start_angle=" + Number(start) + ", sweep=" + Number(sweep) +
               ", count=" + std::to_string(count) + ")";
    }
};

using DoubleCirclePath = CirclePath<OVectorPath_Circle>;
using FloatCirclePath = CirclePath<OVectorPath_Circle_Float>;

std::uint32_t RecordId(const std::vector<unsigned char>& bytes) {
    std::uint32_t id = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        id |= static_cast<std::uint32_t>(bytes[kRecordIdOffset + i]) << (8 * i);
    }
    return id;
}

// Reads one record of the library path type into a new path object; ValueError when the bytes
// are not one whole record of that class.
template <class LibraryPath, class Wrapper>
std::unique_ptr<Wrapper> FromBytes(const py::bytes& data, const char* name) {
    const std::string text = data;
    std::vector<unsigned char> bytes(text.begin(), text.end());
    const std::size_t size = bytes.size();
    auto path = std::make_unique<LibraryPath>();
    OByteStream stream(std::move(bytes));
    if (!path->GetObjectData(stream, true)) {
        throw py::value_error(std::string("not a ") + name + " record (" + std::to_string(size) +
                              " bytes): the record head is missing, names another class or "
                              "announces more bytes than given");
    }
    if (stream.GetPosition() != size) {
        throw py::value_error(std::to_string(size - stream.GetPosition()) + " bytes follow the " +
                              name + " record: pass one record");
    }
    return std::make_unique<Wrapper>(std::move(path));
}

py::object PathFromBytes(const py::bytes& data) {
    const std::string text = data;
    const std::vector<unsigned char> bytes(text.begin(), text.end());
    if (bytes.size() < kRecordHeadBytes) {
        throw py::value_error("a path record starts with 8 bytes (length, object ID), got " +
                              std::to_string(bytes.size()));
    }
    switch (RecordId(bytes)) {
        case OVectorPath_Line::kObjectID:
            return py::cast(FromBytes<OVectorPath_Line, LinePath>(data, "LinePath"));
        case OVectorPath_Circle::kObjectID:
            return py::cast(FromBytes<OVectorPath_Circle, DoubleCirclePath>(data, "CirclePath"));
        case OVectorPath_Circle_Float::kObjectID:
            return py::cast(
                FromBytes<OVectorPath_Circle_Float, FloatCirclePath>(data, "CirclePathFloat"));
        case OVectorPath_Polygon::kObjectID:
            throw py::value_error(
                "polygon path records have no geometry to measure with and "
                "are not read by this module");
        default:
            throw py::value_error("not a path record: unknown object ID");
    }
}

py::bytes ToBytes(PathObject& self) {
    const std::vector<unsigned char> bytes = self.Run([](OVectorPath& p) {
        OByteStream stream;
        p.AddObjectData(stream);
        return stream.GetBytes();
    });
    return py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void CheckIndex(int index, int count) {
    if (index < 0 || index > count) {
        throw py::index_error("path index " + std::to_string(index) + " outside 0.." +
                              std::to_string(count));
    }
}
void CheckIndex(double index, int count) {
    if (!(index >= 0.0 && index <= count)) {
        throw py::index_error("path index " + std::to_string(index) + " outside 0.." +
                              std::to_string(count));
    }
}

void SetTransition(PathObject& self, int type, int p1, int p2, int p3, int p4,
                   const std::shared_ptr<OType_Image>& image, const std::string& rule) {
    const bool accepted = self.Run(
        [&](OVectorPath& p) { return p.bCreateTransitionFunction(type, p1, p2, p3, p4, image); });
    if (!accepted) {
        throw py::value_error(rule);
    }
}

template <class Index>
py::tuple PointAt(PathObject& self, Index index) {
    const auto [ok, point, count] = self.Run([index](OVectorPath& p) {
        OVector v;
        const bool inside = p.GetVectorAt(index, v);
        return std::make_tuple(inside, ToPoint(v), p.GetCount());
    });
    if (!ok) {
        CheckIndex(index, count);
        throw py::index_error("the path has no point at this index");
    }
    return AsTuple(point);
}

template <class Index>
double AngleAt(PathObject& self, Index index) {
    const auto [ok, angle, count] = self.Run([index](OVectorPath& p) {
        double a = 0.0;
        const bool inside = p.GetAngle_RadAt(index, a);
        return std::make_tuple(inside, a, p.GetCount());
    });
    if (!ok) {
        CheckIndex(index, count);
        throw py::index_error("the path has no angle at this index");
    }
    return angle;
}

void BindPathBase(py::class_<PathObject>& path) {
    path.def_property_readonly(
            "count",
            [](PathObject& self) { return self.Run([](OVectorPath& p) { return p.GetCount(); }); },
            "Number of steps (about one pixel each); the positions are 0..count.")
        .def_property_readonly(
            "position",
            [](PathObject& self) {
                return self.Run([](OVectorPath& p) {
                    int index = -1;
                    p.CurrentPos(index);
                    return index;
                });
            },
            "Index of the current position: -1 before the first one (a new or reset path), "
            "where a search continues from.")
        .def_property_readonly(
            "current_point",
            [](PathObject& self) {
                return AsTuple(self.Run([](OVectorPath& p) {
                    OVector v;
                    p.CurrentVector(v);
                    return ToPoint(v);
                }));
            },
            "(x, y) of the current position in pixels (the start point before the first).")
        .def_property_readonly(
            "start",
            [](PathObject& self) {
                return AsTuple(self.Run([](OVectorPath& p) {
                    OVector v;
                    p.GetStartVector(v);
                    return ToPoint(v);
                }));
            },
            "(x, y) of position 0 in pixels.")
        .def_property_readonly(
            "end",
            [](PathObject& self) {
                return AsTuple(self.Run([](OVectorPath& p) {
                    OVector v;
                    p.GetEndVector(v);
                    return ToPoint(v);
                }));
            },
            "(x, y) of the last position in pixels.")
        .def(
            "reset", [](PathObject& self) { self.Run([](OVectorPath& p) { p.Reset(); }); },
            "Go back before the first position, so that the next search starts at the start.")
        .def(
            "move_to",
            [](PathObject& self, int index) {
                const auto [ok, count] = self.Run([index](OVectorPath& p) {
                    OVector v;
                    return std::make_pair(p.MoveTo(index, v), p.GetCount());
                });
                if (!ok) {
                    CheckIndex(index, count);
                }
            },
            py::arg("index"),
            "Make the position `index` (0..count) the current one; a search continues after "
            "it. IndexError outside the path.")
        .def("point_at", &PointAt<int>, py::arg("index"),
             "(x, y) in pixels of the position `index` (0..count). IndexError outside.")
        .def("point_at", &PointAt<double>, py::arg("index"),
             "(x, y) in pixels at a fractional index (0.0..count), between two positions.")
        .def("angle_at", &AngleAt<int>, py::arg("index"),
             "The path's angle in radians at `index`: on circles the arc's angle, on lines 0.")
        .def("angle_at", &AngleAt<double>, py::arg("index"),
             "The path's angle in radians at a fractional index.")
        .def(
            "points",
            [](PathObject& self, bool raster) {
                const std::vector<Point> points = self.Run([raster](OVectorPath& p) {
                    OVector_Array list;
                    if (raster) {
                        p.GetVectorPathRaster(list);
                    } else {
                        p.GetVectorPath(list);
                    }
                    std::vector<Point> result;
                    for (int i = 0; i < list.GetCount(); ++i) {
                        result.push_back(ToPoint(*list.GetPointerAt(i)));
                    }
                    return result;
                });
                return ArrayFromPoints(points);
            },
            py::arg("raster") = false,
            "The positions as an (n, 2) array of x, y in pixels: positions 0..count-1 "
            "(raster=False), or one position per pixel that the path enters (raster=True).")
        .def(
            "set_band",
            [](PathObject& self, int low, int high) {
                SetTransition(self, OVectorPath::kTransitionBand, low, high, 0, 0, nullptr,
                              "a band needs 0 <= low <= high <= 255, got low " +
                                  std::to_string(low) + ", high " + std::to_string(high));
            },
            py::arg("low"), py::arg("high"),
            "Transition function: a position is in threshold while its grey value lies in "
            "low..high (0 <= low <= high <= 255). A new path has the band 0..128.")
        .def(
            "set_deviation",
            [](PathObject& self, int enter, int leave, int depth, bool isSigned) {
                const int type = isSigned ? OVectorPath::kTransitionSignedDeviation
                                          : OVectorPath::kTransitionAbsDeviation;
                const int limit = isSigned ? -kGreyMax : 0;
                SetTransition(self, type, leave, enter, depth, 0, nullptr,
                              "deviation thresholds must lie in " + std::to_string(limit) +
                                  "..255 and the depth in 1.." + std::to_string(kDepthMax) +
                                  ", got enter " + std::to_string(enter) + ", leave " +
                                  std::to_string(leave) + ", depth " + std::to_string(depth));
            },
            py::arg("enter"), py::arg("leave"), py::arg("depth") = 2, py::arg("signed") = false,
            "Transition function: the deviation of each grey value from the mean of the "
            "`depth` (1..10) values before it, with hysteresis. It enters the threshold when the "
            "deviation exceeds `enter` and leaves when it exceeds `leave`. Unsigned (0..255): "
            "the absolute deviation. signed=True (-255..255): the sign of each threshold selects "
            "rising (positive) or falling (negative) grey values. Restarts the history.")
        .def(
            "set_canny",
            [](PathObject& self, ImageArgument image, int threshold, int sigmaIndex) {
                SetTransition(self, OVectorPath::kTransitionCanny, threshold, 0, 0, sigmaIndex,
                              image.Get().Grey8ForCall(),
                              "the Canny threshold must lie in " +
                                  std::to_string(kCannyThresholdMin) + "..255, got " +
                                  std::to_string(threshold));
            },
            py::arg("image"), py::arg("threshold"), py::arg("sigma_index") = 2,
            "Transition function: Canny on the grey profile along the whole path, read from "
            "`image` now. `threshold` (1..255) is the least gradient of an edge; `sigma_index` "
            "selects the smoothing, sigma = 0.8 + 0.1 * sigma_index (clamped to 0..12; 2 is "
            "sigma 1.0). Positions on the dark side of an edge are in threshold.")
        .def_property_readonly(
            "transition",
            [](PathObject& self) {
                return self.Run([](OVectorPath& p) {
                    int type = 0;
                    int p1 = 0;
                    int p2 = 0;
                    int p3 = 0;
                    p.GetTransitionFunctionParams(type, p1, p2, p3);
                    return std::make_tuple(type, p1, p2, p3);
                });
            },
            "The transition function as (type, param1, param2, param3): type 0 band (low, "
            "high), 1 absolute and 2 signed deviation (leave, enter, depth), 3 Canny "
            "(threshold, 255, -).")
        .def(
            "in_threshold",
            [](PathObject& self, int grey) {
                return self.Run([grey](OVectorPath& p) { return p.IsInTransitionThreshold(grey); });
            },
            py::arg("grey"),
            "Evaluate the transition function on one grey value (advances the history of the "
            "deviation types); always True for Canny.")
        .def("to_bytes", &ToBytes,
             "The path's record (its defining parameters and any unknown bytes read with it), "
             "as the library stores paths in byte streams.");
}

}  // namespace

void BindPaths(py::module_& m) {
    py::class_<PathObject> path(
        m, "Path",
        "A path laid over an image: line or circular arc, positions 0..count about one pixel "
        "apart. It carries a transition function that says which positions are 'in threshold' "
        "(set_band, set_deviation, set_canny) and is searched for the transitions between in and "
        "out (find_next, find_nth, find_all, find_pair). Searches continue from the current "
        "position; reset() goes back to the start. A path is used by one thread at a time "
        "(calls from several threads take turns).");
    BindPathBase(path);
    DefineSearches(m, path);

    py::class_<LinePath, PathObject>(
        m, "LinePath",
        "A straight path from `start` to `end` ((x, y) in pixels), divided into count equal "
        "steps of about one pixel. Searches report no angle on lines.")
        .def(py::init([](const Point& start, const Point& end) {
                 CheckFinite(start, "start");
                 CheckFinite(end, "end");
                 return std::make_unique<LinePath>(start, end);
             }),
             py::arg("start"), py::arg("end"), "A line from start to end, (x, y) in pixels.")
        .def_static(
            "from_bytes",
            [](const py::bytes& data) {
                return FromBytes<OVectorPath_Line, LinePath>(data, "LinePath");
            },
            py::arg("data"), "Read a line from its record (see Path.to_bytes).")
        .def("__repr__", &LinePath::Repr);

    const char* circleDoc =
        "A circular arc: `center` (x, y) and `radius` in pixels, `start_angle` and `sweep` in "
        "degrees (0 along +x; a positive sweep runs clockwise on screen, y growing downwards; "
        "360 is a full circle, which a pair search may wrap around once). Steps of about one "
        "pixel of arc.";
    auto bindCircle = [&](auto tag, const char* name, const char* doc) {
        using Wrapper = typename decltype(tag)::type;
        using Real = typename Wrapper::Real;
        py::class_<Wrapper, PathObject>(m, name, doc)
            .def(py::init([](const Point& center, Real radius, Real start, Real sweep) {
                     CheckFinite(center, "center");
                     if (!(std::isfinite(radius) && radius >= 0) || !std::isfinite(start) ||
                         !std::isfinite(sweep)) {
                         throw py::value_error(
                             "radius must be finite and >= 0, the angles "
                             "finite, got radius " +
                             std::to_string(radius) + ", start_angle " + std::to_string(start) +
                             ", sweep " + std::to_string(sweep));
                     }
                     if (radius * std::abs(sweep) / kDegreesPerRadian > kMaxArcLength) {
                         throw py::value_error("the arc is longer than 4194304 pixels");
                     }
                     return std::make_unique<Wrapper>(center, radius, start, sweep);
                 }),
                 py::arg("center"), py::arg("radius"), py::arg("start_angle") = 0.0,
                 py::arg("sweep") = 360.0, "An arc; angles in degrees.")
            .def_property_readonly(
                "center", [](Wrapper& self) { return AsTuple(std::get<0>(self.Geometry())); },
                "(x, y) of the centre, pixels.")
            .def_property_readonly(
                "radius", [](Wrapper& self) { return std::get<1>(self.Geometry()); },
                "Radius, pixels.")
            .def_property_readonly(
                "start_angle", [](Wrapper& self) { return std::get<2>(self.Geometry()); },
                "Start angle, degrees.")
            .def_property_readonly(
                "sweep", [](Wrapper& self) { return std::get<3>(self.Geometry()); },
                "Sweep, degrees.")
            .def_static(
                "from_bytes",
                [name](const py::bytes& data) {
                    return FromBytes<typename Wrapper::LibraryPath, Wrapper>(data, name);
                },
                py::arg("data"), "Read an arc from its record (see Path.to_bytes).")
            .def("__repr__", [name](Wrapper& self) { return self.Repr(name); });
    };
    bindCircle(std::common_type<DoubleCirclePath>{}, "CirclePath", circleDoc);
    bindCircle(std::common_type<FloatCirclePath>{}, "CirclePathFloat",
               "The same arc as CirclePath, computed in single precision (float radius, angles "
               "and running angle), with its own record type.");

    m.def("path_from_bytes", &PathFromBytes, py::arg("data"),
          "Read a path record of any kind (LinePath, CirclePath, CirclePathFloat).");
}

}  // namespace pybinding

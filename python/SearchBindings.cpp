// The transition searches of a path, the sub-pixel refinement of what they find, and the grey
// profile along a path. Every measurement runs without the interpreter lock (PathObject::Run).

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "ImageArgument.h"
#include "PathObject.h"
#include "PointArrays.h"
#include "Results.h"
#include "subpixel/OSubpixelCalculation.h"

namespace py = pybind11;

namespace pybinding {
namespace {

// Which transitions a search accepts: entering (not in threshold, then in threshold), leaving
// (the reverse) or both; the values are the library's polarity codes.
enum class Polarity : int {
    Any = OVectorPath::kPolarityAny,
    Entering = OVectorPath::kPolarityEntering,
    Leaving = OVectorPath::kPolarityLeaving
};

// The searches here draw no overlay: no drawing context, and so no label.
constexpr int kNoLabel = OVectorPath::kLabelKindTickOnly;
// The pair search's second-edge rule: 1 considers second edges only once the first is found.
constexpr int kSecondAfterFirst = OVectorPath::kSecondAfterFirst;
constexpr int kSecondAnyTime = 0;

Edge MakeEdge(bool isCircle, int index, const OVector& point, double angle) {
    Edge edge;
    edge.index = index;
    edge.x = point.dX();
    edge.y = point.dY();
    if (isCircle) {
        edge.angle = angle;
    }
    return edge;
}

void CheckOrdinal(int n, const char* what) {
    if (n < 0) {
        throw py::value_error(std::string(what) +
                              " counts transitions from 1 (0 takes the "
                              "current position), got " +
                              std::to_string(n));
    }
}

std::optional<Edge> FindNext(PathObject& self, ImageArgument image, Polarity polarity,
                             int minDistance, int reference) {
    const std::shared_ptr<OType_Image> grey = image.Get().Grey8ForCall();
    const bool circle = self.IsCircle();
    return self.Run([&](OVectorPath& p) -> std::optional<Edge> {
        int index = -1;
        OVector point;
        double angle = 0.0;
        if (!p.FindNextTransition(grey, static_cast<int>(polarity), minDistance, reference, index,
                                  point, angle, nullptr, kNoLabel, 0)) {
            return std::nullopt;
        }
        return MakeEdge(circle, index, point, angle);
    });
}

std::vector<Edge> FindAll(PathObject& self, ImageArgument image, Polarity polarity, int minDistance,
                          int reference) {
    const std::shared_ptr<OType_Image> grey = image.Get().Grey8ForCall();
    const bool circle = self.IsCircle();
    return self.Run([&](OVectorPath& p) {
        std::vector<Edge> edges;
        // Every found transition moves the path forward, so there are at most count + 1.
        const int most = p.GetCount() + 1;
        int from = reference;
        for (int k = 0; k < most; ++k) {
            int index = -1;
            OVector point;
            double angle = 0.0;
            if (!p.FindNextTransition(grey, static_cast<int>(polarity), minDistance, from, index,
                                      point, angle, nullptr, kNoLabel, 0)) {
                break;
            }
            edges.push_back(MakeEdge(circle, index, point, angle));
            from = index;
        }
        return edges;
    });
}

std::optional<Edge> FindNth(PathObject& self, ImageArgument image, int n, Polarity polarity,
                            int minDistance, int reference, bool goOn) {
    CheckOrdinal(n, "n");
    const std::shared_ptr<OType_Image> grey = image.Get().Grey8ForCall();
    const bool circle = self.IsCircle();
    return self.Run([&](OVectorPath& p) -> std::optional<Edge> {
        int index = -1;
        OVector point;
        double angle = 0.0;
        if (!p.FindNextTransitionSingle(grey, n, static_cast<int>(polarity), minDistance, reference,
                                        index, point, angle, nullptr, kNoLabel, 0, goOn)) {
            return std::nullopt;
        }
        return MakeEdge(circle, index, point, angle);
    });
}

struct PairSetup {
    int n = 1;
    Polarity polarity = Polarity::Any;
    int minDistance = 0;
    int minDistanceToOther = 0;
    int reference = 0;
};

std::optional<EdgePair> FindPair(PathObject& self, ImageArgument image, const PairSetup& a,
                                 const PairSetup& b, bool secondAfterFirst, bool goOn) {
    CheckOrdinal(a.n, "first_n");
    CheckOrdinal(b.n, "second_n");
    const std::shared_ptr<OType_Image> grey = image.Get().Grey8ForCall();
    const bool circle = self.IsCircle();
    return self.Run([&](OVectorPath& p) -> std::optional<EdgePair> {
        int index1 = -1;
        int index2 = -1;
        OVector point1;
        OVector point2;
        double angle1 = 0.0;
        double angle2 = 0.0;
        if (!p.FindNextTransitionPair(
                grey, a.n, static_cast<int>(a.polarity), a.minDistance, a.minDistanceToOther,
                a.reference, b.n, static_cast<int>(b.polarity), b.minDistance, b.minDistanceToOther,
                b.reference, secondAfterFirst ? kSecondAfterFirst : kSecondAnyTime, index1, point1,
                angle1, index2, point2, angle2, nullptr, kNoLabel, 0, 0, goOn)) {
            return std::nullopt;
        }
        return EdgePair{MakeEdge(circle, index1, point1, angle1),
                        MakeEdge(circle, index2, point2, angle2)};
    });
}

std::optional<SubpixelEdge> Refine(PathObject& self, ImageArgument image, int index) {
    OType_Image* grey = image.Get().Grey8ForCall().get();
    const bool circle = self.IsCircle();
    return self.Run([&](OVectorPath& p) -> std::optional<SubpixelEdge> {
        OVector point;
        double angle = 0.0;
        if (OSubpixelCalculation::CalculateTransitionOnPath(
                grey, &p, OSubpixelCalculation::kMethodSixTap, index, point, angle) != 1) {
            return std::nullopt;
        }
        SubpixelEdge edge;
        edge.index = index;
        edge.x = point.dX();
        edge.y = point.dY();
        if (circle) {
            edge.angle = angle;
        }
        return edge;
    });
}

py::array_t<std::int32_t> Profile(PathObject& self, ImageArgument image) {
    OType_Image* grey = image.Get().Grey8ForCall().get();
    const std::vector<std::int32_t> values = self.Run([&](OVectorPath& p) {
        OVector_Array list;
        p.GetVectorPath(list);
        std::vector<std::int32_t> result(static_cast<std::size_t>(list.GetCount()));
        for (int i = 0; i < list.GetCount(); ++i) {
            result[static_cast<std::size_t>(i)] = grey->GetPixel_Grey(*list.GetPointerAt(i));
        }
        return result;
    });
    return py::array_t<std::int32_t>(static_cast<py::ssize_t>(values.size()), values.data());
}

}  // namespace

void DefineSearches(py::module_& m, py::class_<PathObject>& path) {
    py::enum_<Polarity>(m, "Polarity",
                        "Which transitions a search accepts: ENTERING (into the transition "
                        "function's threshold, e.g. into the grey band), LEAVING (out of it) or "
                        "ANY.")
        .value("ANY", Polarity::Any)
        .value("ENTERING", Polarity::Entering)
        .value("LEAVING", Polarity::Leaving);

    path.def("find_next", &FindNext, py::arg("image"), py::kw_only(),
             py::arg("polarity") = Polarity::Any, py::arg("min_distance") = 0,
             py::arg("reference") = 0,
             "The next transition from the current position on, of the given polarity and at "
             "least `min_distance` steps after the index `reference`. Leaves the path where it "
             "was found, so the next call finds the one after. Returns an Edge, or None when "
             "the path ends first.")
        .def("find_all", &FindAll, py::arg("image"), py::kw_only(),
             py::arg("polarity") = Polarity::Any, py::arg("min_distance") = 0,
             py::arg("reference") = 0,
             "Every transition from the current position to the end, each at least "
             "`min_distance` steps after the one before (the first after `reference`), as a "
             "list of Edge.")
        .def("find_nth", &FindNth, py::arg("image"), py::arg("n"), py::kw_only(),
             py::arg("polarity") = Polarity::Any, py::arg("min_distance") = 0,
             py::arg("reference") = 0, py::arg("go_on") = false,
             "The n-th qualifying transition from the current position (n = 1 the first; 0 "
             "takes the current position), each at least `min_distance` steps after the one "
             "before. go_on=True walks on to the end of the path afterwards. Edge or None.")
        .def(
            "find_pair",
            [](PathObject& self, ImageArgument image, Polarity firstPolarity,
               Polarity secondPolarity, int firstN, int secondN, int firstMinDistance,
               int secondMinDistance, int firstMinDistanceToSecond, int secondMinDistanceToFirst,
               int firstReference, int secondReference, bool secondAfterFirst, bool goOn) {
                return FindPair(self, image,
                                {firstN, firstPolarity, firstMinDistance, firstMinDistanceToSecond,
                                 firstReference},
                                {secondN, secondPolarity, secondMinDistance,
                                 secondMinDistanceToFirst, secondReference},
                                secondAfterFirst, goOn);
            },
            py::arg("image"), py::kw_only(), py::arg("first_polarity") = Polarity::Any,
            py::arg("second_polarity") = Polarity::Any, py::arg("first_n") = 1,
            py::arg("second_n") = 1, py::arg("first_min_distance") = 0,
            py::arg("second_min_distance") = 0, py::arg("first_min_distance_to_second") = 0,
            py::arg("second_min_distance_to_first") = 0, py::arg("first_reference") = 0,
            py::arg("second_reference") = 0, py::arg("second_after_first") = true,
            py::arg("go_on") = false,
            "A first (start) and a second (end) edge in one walk: the first_n-th first edge and "
            "the second_n-th second edge, each kind with its own polarity and minimum distance "
            "from the previous edge of its kind (counted from its reference index) and from the "
            "other kind's result. second_after_first=True considers second edges only once the "
            "first is found. On a full circle the walk may wrap once: a second edge found there "
            "has count added to its index and 2 pi to its angle. Returns an EdgePair, or None "
            "unless both are found.")
        .def("refine", &Refine, py::arg("image"), py::arg("index"),
             "Refine the transition at the integer path `index` (e.g. edge.index) to sub-pixel "
             "precision from the seven grey values around it. Returns a SubpixelEdge, or None "
             "when it cannot: an index within 3 steps of either end of the path, a sample "
             "outside the image, or no gradient peak.")
        .def(
            "refine",
            [](PathObject& self, ImageArgument image, const Edge& edge) {
                return Refine(self, image, edge.index);
            },
            py::arg("image"), py::arg("edge"), "Refine a found Edge (see refine(image, index)).")
        .def("profile", &Profile, py::arg("image"),
             "The grey values at positions 0..count-1 as an int32 array, NO_VALUE where a "
             "position lies outside the image: the profile a Canny transition function reads.");
}

}  // namespace pybinding

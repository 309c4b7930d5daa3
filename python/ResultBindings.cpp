// The result types, read-only, each with a repr that shows its values as Python would.

#include <pybind11/stl.h>

#include <cmath>
#include <string>

#include "Bindings.h"
#include "Results.h"

namespace py = pybind11;

namespace pybinding {
namespace {

std::string Number(double value) {
    return std::string(py::repr(py::float_(value)));
}

std::string Optional(const std::optional<double>& value) {
    return value ? Number(*value) : "None";
}

std::string EdgeRepr(const Edge& e) {
    std::string text =
        "Edge(index=" + std::to_string(e.index) + ", x=" + Number(e.x) + ", y=" + Number(e.y);
    if (e.angle) {
        text += ", angle=" + Number(*e.angle);
    }
    return text + ")";
}

std::string DeviationRepr(const Deviation& d) {
    return "Deviation(distance=" + Number(d.distance) + ", x=" + Number(d.x) +
           ", y=" + Number(d.y) + ", foot_x=" + Number(d.footX) + ", foot_y=" + Number(d.footY) +
           ")";
}

py::tuple PointOf(double x, double y) {
    return py::make_tuple(x, y);
}

}  // namespace

void BindResults(py::module_& m) {
    py::class_<Edge>(m, "Edge",
                     "A transition found by a search.\n\n"
                     "index: the path index (an entering transition is reported at the first "
                     "position inside the threshold, a leaving one at the last position inside); "
                     "x, y: the path's point at that index, in pixels; angle: on circle paths the "
                     "arc's angle in radians where the change was seen, None on lines.")
        .def_readonly("index", &Edge::index, "Path index of the transition.")
        .def_readonly("x", &Edge::x, "x of the path's point at the index, pixels.")
        .def_readonly("y", &Edge::y, "y of the path's point at the index, pixels.")
        .def_readonly("angle", &Edge::angle,
                      "Arc angle in radians where the change was seen (circle paths), else None.")
        .def_property_readonly(
            "point", [](const Edge& e) { return PointOf(e.x, e.y); }, "(x, y) in pixels.")
        .def("__repr__", &EdgeRepr);

    py::class_<EdgePair>(m, "EdgePair", "The first (start) and second (end) edge of a pair search.")
        .def_readonly("first", &EdgePair::first, "The first edge.")
        .def_readonly("second", &EdgePair::second, "The second edge.")
        .def_property_readonly(
            "distance",
            [](const EdgePair& p) {
                return std::hypot(p.second.x - p.first.x, p.second.y - p.first.y);
            },
            "Distance between the two edge points, pixels.")
        .def("__repr__", [](const EdgePair& p) {
            return "EdgePair(first=" + EdgeRepr(p.first) + ", second=" + EdgeRepr(p.second) + ")";
        });

    py::class_<SubpixelEdge>(m, "SubpixelEdge",
                             "A transition refined to sub-pixel precision: the path's point at "
                             "the refined fractional index, and on circle paths the arc's angle "
                             "there (None on lines).")
        .def_readonly("index", &SubpixelEdge::index, "The integer path index that was refined.")
        .def_readonly("x", &SubpixelEdge::x, "Refined x, pixels.")
        .def_readonly("y", &SubpixelEdge::y, "Refined y, pixels.")
        .def_readonly("angle", &SubpixelEdge::angle,
                      "Arc angle in radians at the refined index (circle paths), else None.")
        .def_property_readonly(
            "point", [](const SubpixelEdge& e) { return PointOf(e.x, e.y); }, "(x, y) in pixels.")
        .def("__repr__", [](const SubpixelEdge& e) {
            std::string text = "SubpixelEdge(index=" + std::to_string(e.index) +
                               ", x=" + Number(e.x) + ", y=" + Number(e.y);
            if (e.angle) {
                text += ", angle=" + Number(*e.angle);
            }
            return text + ")";
        });

    py::class_<Deviation>(m, "Deviation",
                          "A point of a fit's input with its distance from the fitted figure and "
                          "the nearest point of the figure (the foot), all in pixels.")
        .def_readonly("distance", &Deviation::distance, "Distance from the figure, pixels.")
        .def_readonly("x", &Deviation::x, "x of the input point, pixels.")
        .def_readonly("y", &Deviation::y, "y of the input point, pixels.")
        .def_readonly("foot_x", &Deviation::footX, "x of the nearest point of the figure.")
        .def_readonly("foot_y", &Deviation::footY, "y of the nearest point of the figure.")
        .def("__repr__", &DeviationRepr);

    py::class_<CircleFit>(
        m, "CircleFit",
        "A fitted circle: centre x, y and radius in pixels, sigma (root-mean-square distance of "
        "the points used from the circle), the iterations of the last fit, the inliers and the "
        "rejected outliers as (n, 2) arrays, and in checked mode the quality figures over all "
        "input points (None otherwise).")
        .def_readonly("x", &CircleFit::x, "Centre x, pixels.")
        .def_readonly("y", &CircleFit::y, "Centre y, pixels.")
        .def_readonly("radius", &CircleFit::radius, "Radius, pixels.")
        .def_readonly("sigma", &CircleFit::sigma,
                      "Root-mean-square distance of the fitted points from the circle, pixels.")
        .def_readonly("iterations", &CircleFit::iterations, "Iterations of the last fit.")
        .def_readonly("inliers", &CircleFit::inliers, "Points kept, (n, 2), input order.")
        .def_readonly("outliers", &CircleFit::outliers,
                      "Points rejected, (n, 2), in the order they were dropped.")
        .def_readonly("max_deviation", &CircleFit::maxDeviation,
                      "The input point farthest from the circle (checked mode), or None.")
        .def_readonly("max_inner_deviation", &CircleFit::maxInnerDeviation,
                      "The input point farthest inside (checked mode), or None.")
        .def_readonly("max_outer_deviation", &CircleFit::maxOuterDeviation,
                      "The input point farthest outside (checked mode), or None.")
        .def_readonly("sigma_all", &CircleFit::sigmaAll,
                      "Standard deviation of the distances from the centre over all input points "
                      "(checked mode), or None.")
        .def_readonly("sigma_inliers", &CircleFit::sigmaInliers,
                      "The same over the inliers (checked mode), or None.")
        .def_property_readonly(
            "center", [](const CircleFit& c) { return PointOf(c.x, c.y); }, "(x, y) in pixels.")
        .def("__repr__", [](const CircleFit& c) {
            return "CircleFit(x=" + Number(c.x) + ", y=" + Number(c.y) +
                   ", radius=" + Number(c.radius) + ", sigma=" + Number(c.sigma) +
                   ", iterations=" + std::to_string(c.iterations) +
                   ", inliers=" + std::to_string(c.inliers.shape(0)) +
                   ", outliers=" + std::to_string(c.outliers.shape(0)) + ")";
        });

    py::class_<LineFit>(
        m, "LineFit",
        "A fitted line: its angle in radians (the direction, modulo pi) through the centre x, y "
        "in pixels, the inliers and outliers as (n, 2) arrays, and with mode 3 or above the "
        "quality figures (None otherwise).")
        .def_readonly("angle", &LineFit::angle, "Direction of the line, radians, modulo pi.")
        .def_readonly("x", &LineFit::x, "x of the centre (mean of the inliers), pixels.")
        .def_readonly("y", &LineFit::y, "y of the centre, pixels.")
        .def_readonly("inliers", &LineFit::inliers, "Points kept, (n, 2), input order.")
        .def_readonly("outliers", &LineFit::outliers, "Points rejected, (n, 2).")
        .def_readonly("farthest", &LineFit::farthest,
                      "The input point farthest from the line with its foot (mode 3+), or None.")
        .def_readonly("sigma_all", &LineFit::sigmaAll,
                      "Standard deviation of the distances of all input points from the line "
                      "(mode 3+), or None.")
        .def_readonly("sigma_inliers", &LineFit::sigmaInliers,
                      "The same over the inliers (mode 3+), or None.")
        .def_property_readonly(
            "center", [](const LineFit& l) { return PointOf(l.x, l.y); }, "(x, y) in pixels.")
        .def_property_readonly(
            "direction",
            [](const LineFit& l) { return PointOf(std::cos(l.angle), std::sin(l.angle)); },
            "Unit direction (cos angle, sin angle).")
        .def("__repr__", [](const LineFit& l) {
            return "LineFit(angle=" + Number(l.angle) + ", x=" + Number(l.x) +
                   ", y=" + Number(l.y) + ", inliers=" + std::to_string(l.inliers.shape(0)) +
                   ", outliers=" + std::to_string(l.outliers.shape(0)) +
                   ", sigma_all=" + Optional(l.sigmaAll) + ")";
        });
}

}  // namespace pybinding

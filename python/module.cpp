// The compiled part of the Python package `edgedetection` (edgedetection/_core).

#include <pybind11/pybind11.h>

#include "Bindings.h"
#include "foundation/OType_Image.h"

PYBIND11_MODULE(_core, m) {
    m.doc() =
        "Edge measurement along lines and circular arcs over grey images.\n\n"
        "Images are 2-D NumPy arrays of uint8 grey values (uint16 too for the calipers), used "
        "in place. Coordinates are pixels as floats: pixel i covers [i, i + 1), so its centre "
        "is i + 0.5; y grows downwards. "
        "Angles of arcs are degrees (0 along +x, a positive sweep runs clockwise on screen); "
        "angles of results are radians.\n\n"
        "Errors: invalid arguments raise TypeError or ValueError (IndexError for a path index "
        "outside the path); a measurement that runs on valid input and finds nothing (no "
        "transition, no sub-pixel peak, a fit that does not hold) returns None; a caliper answers "
        "an empty result whose status says why.";
    m.attr("NO_VALUE") = OType_Image::kNoValue;
    pybinding::BindImage(m);
    pybinding::BindResults(m);
    pybinding::BindPaths(m);
    pybinding::BindProfile(m);
    pybinding::BindFits(m);
    pybinding::BindCaliperTypes(m);
    pybinding::BindCalipers(m);
    pybinding::BindCaliperArrays(m);
    pybinding::BindMetrology(m);
}

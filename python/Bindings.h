#pragma once
// The parts of the Python module, one registration function per subsystem (module.cpp calls them
// in this order: later parts take the types of earlier ones as arguments).

#include <pybind11/pybind11.h>

namespace pybinding {

// Image: 2-D NumPy arrays of grey values used in place (ImageArgument.h).
void BindImage(pybind11::module_& m);
// The small typed results of searches, refinements and fits (Edge, EdgePair, CircleFit, ...).
void BindResults(pybind11::module_& m);
// Line and circle paths: transition functions, searches, sub-pixel refinement, records.
void BindPaths(pybind11::module_& m);
// Canny on a grey profile.
void BindProfile(pybind11::module_& m);
// The circle fit and the regression line with their outlier filters.
void BindFits(pybind11::module_& m);
// The precision calipers: enums, settings and results (CaliperTypes.cpp), line and arc calipers
// (CaliperBindings.cpp), and many line calipers in one call (CaliperArrays.cpp).
void BindCaliperTypes(pybind11::module_& m);
void BindCalipers(pybind11::module_& m);
void BindCaliperArrays(pybind11::module_& m);
// The metrology tools: find circle, find line, measure width (MetrologyBindings.cpp).
void BindMetrology(pybind11::module_& m);

}  // namespace pybinding

// Canny on a grey profile: NumPy integers in, NumPy int32 out.

#include <pybind11/numpy.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "Bindings.h"
#include "edge/OCannyEdge.h"
#include "foundation/WritableCollection.h"

namespace py = pybind11;

namespace pybinding {
namespace {

// Kernel rows of the Canny smoothing: sigma = 0.8 + 0.1 * row.
constexpr int kSigmaIndexMin = 0;
constexpr int kSigmaIndexMax = 12;

std::vector<int> ProfileValues(py::handle profile) {
    const py::array raw = py::array::ensure(profile);
    if (!raw) {
        PyErr_Clear();
        throw py::type_error("profile must be a 1-D array of integer grey values, got " +
                             std::string(py::str(py::type::of(profile).attr("__name__"))));
    }
    const char kind = raw.dtype().kind();
    if (kind != 'i' && kind != 'u') {
        throw py::type_error(
            "profile must hold integer grey values (0..255, NO_VALUE for a "
            "missing sample), got dtype " +
            std::string(py::str(raw.dtype().attr("name"))) +
            ": convert with np.rint(profile).astype(np.int32)");
    }
    if (raw.ndim() != 1) {
        throw py::value_error("profile must be 1-D, got " + std::to_string(raw.ndim()) +
                              " dimensions");
    }
    if (raw.shape(0) == 0) {
        throw py::value_error("profile is empty");
    }
    if (raw.shape(0) > INT_MAX) {
        throw py::value_error("profile is longer than 2147483647 samples");
    }
    const auto wide = py::array_t<std::int64_t, py::array::forcecast>::ensure(raw);
    const auto values = wide.unchecked<1>();
    std::vector<int> result(static_cast<std::size_t>(raw.shape(0)));
    for (py::ssize_t i = 0; i < values.shape(0); ++i) {
        if (values(i) < INT_MIN || values(i) > INT_MAX) {
            throw py::value_error("profile value " + std::to_string(values(i)) + " at " +
                                  std::to_string(i) + " does not fit a 32-bit int");
        }
        result[static_cast<std::size_t>(i)] = static_cast<int>(values(i));
    }
    return result;
}

py::array_t<std::int32_t> Canny(py::handle profile, int threshold, int sigmaIndex,
                                bool keepMagnitudes) {
    if (sigmaIndex < kSigmaIndexMin || sigmaIndex > kSigmaIndexMax) {
        throw py::value_error("sigma_index must lie in 0..12 (sigma 0.8..2.0), got " +
                              std::to_string(sigmaIndex));
    }
    const std::vector<int> values = ProfileValues(profile);
    std::vector<int> transitions;
    bool built = false;
    {
        py::gil_scoped_release withoutInterpreterLock;
        WritableCollection<int> in;
        in.Assign(values.data(), static_cast<std::int64_t>(values.size()));
        WritableCollection<int> out;
        built =
            OCannyEdge::bFindCannyEdgeTransitions(in, threshold, sigmaIndex, out, keepMagnitudes);
        transitions.assign(out.begin(), out.end());
    }
    if (!built) {
        throw std::bad_alloc();
    }
    return py::array_t<std::int32_t>(static_cast<py::ssize_t>(transitions.size()),
                                     transitions.data());
}

}  // namespace

void BindProfile(py::module_& m) {
    m.def("canny", &Canny, py::arg("profile"), py::arg("threshold"), py::kw_only(),
          py::arg("sigma_index") = 2, py::arg("keep_magnitudes") = false,
          "One-dimensional Canny on a grey profile (1-D integer array, values 0..255; NO_VALUE "
          "marks a missing sample and splits the profile into independent pieces). Smooths "
          "with the kernel of sigma = 0.8 + 0.1 * sigma_index (0..12; 2 is sigma 1.0), takes "
          "the central-difference gradient and thins every edge (gradient magnitude at least "
          "`threshold`, below 1 acting as 1) to its peak sample. Returns an int32 array of the "
          "profile's length: each sample 1 on the dark side of an edge and 0 on the bright "
          "side, the peak sample of each edge its gradient magnitude; with "
          "keep_magnitudes=True every sample's absolute gradient instead.");
}

}  // namespace pybinding

// Arrays and out-parameters of the managed API (ManagedMeasurement.i), with the helpers of its
// wrappers. Included by EdgeDetection.i before any class is declared: methods that %extend adds to
// a class take the typemaps in force where the class itself is declared, and their bodies are
// emitted there. The parameter names matched here do not occur in the flat interface.
%apply unsigned char INPUT[] { const unsigned char* pixels };
%apply unsigned short INPUT[] { const unsigned short* pixels };
%apply int INPUT[] { const int* profile };
%apply int OUTPUT[] { int* transitions };
%apply double INPUT[] { const double* xs, const double* ys };
%apply bool& OUTPUT { bool& };
%apply long long& OUTPUT { long long& };

%{
#include <cmath>
#include <cstring>

#include "caliper/OType_Image16.h"
#include "circlefit/OCircleFit.h"
#include "circlefit/OCircleFit_OutlierFilter.h"
#include "foundation/OFastArrayList.h"
#include "subpixel/OSubpixelCalculation.h"

// The pixel rows of a managed array: `height` rows of `width` pixels, `stride` pixels apart, in
// `count` elements. The managed constructors check this before they call; the check is repeated
// here so that a caller of the exports cannot make the copy read past the array.
static bool EdgeDetectionRowsFit(int width, int height, const void* pixels, int count, int stride) {
    if (width < 0 || height < 0 || stride < width || count < 0) {
        return false;
    }
    if (width == 0 || height == 0) {
        return true;
    }
    const long long needed = static_cast<long long>(height - 1) * stride + width;
    return pixels != nullptr && needed <= count;
}

// A copy of those rows, packed (stride = width).
template <class Pixel>
static std::vector<Pixel> EdgeDetectionPackRows(int width, int height, const Pixel* pixels,
                                                int stride) {
    std::vector<Pixel> packed(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height && width > 0; ++y) {
        std::memcpy(packed.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                    pixels + static_cast<std::ptrdiff_t>(y) * stride,
                    static_cast<std::size_t>(width) * sizeof(Pixel));
    }
    return packed;
}
%}

#pragma once
// Image: a grey image over a NumPy array, used in place; ImageArgument: what a measurement takes
// (an Image, or an array turned into one for the call).
//
// The library reads the array's own buffer through a non-owning OType_Image view with the array's
// row stride, so a crop of a larger image (img[100:300, 50:250]) is measured without a copy, and
// a change to the array is seen by the next measurement. An Image holds a reference to its array,
// which therefore lives at least as long as the Image.
//
// Accepted: 2-D uint8 arrays (viewed as OType_Image) and uint16 arrays in the machine's byte order
// (viewed as OType_Image16), whose pixels within a row are adjacent (column stride of one pixel)
// and whose rows follow each other at a positive stride, C-contiguous or not. A 16-bit view counts
// its stride in pixels, so a 16-bit array must be aligned and its row stride a whole number of
// pixels. Everything else raises, with a message that says what was expected and how to convert:
// TypeError for a wrong type or dtype, ValueError for a wrong shape, a layout the view cannot
// take, or an empty array. Read-only arrays are fine: the library never writes an image.
//
// The paths measure 8-bit images only: Grey8ForCall() raises TypeError for a 16-bit image, naming
// the calls that take one (the calipers and the metrology tools, which read either through
// Visit()).
//
// Threads: several threads may measure one Image at once (the library only reads it). Writing
// the array while a measurement reads it gives undefined grey values, never a crash.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <memory>
#include <string>

#include "caliper/OType_Image16.h"
#include "foundation/OType_Image.h"

namespace pybinding {

// The geometry of a 2-D array as the library's image views take it.
struct GreyLayout {
    void* pixels = nullptr;
    int width = 0;
    int height = 0;
    int rowStrideBytes = 0;
};

class Image {
  public:
    // Checks the array (see the header comment) and views it; throws pybind11::type_error or
    // pybind11::value_error.
    explicit Image(pybind11::object array);

    int Width() const { return m_layout.width; }
    // Bits per pixel: 8 or 16.
    int Bits() const { return m_bIs16 ? kBits16 : kBits8; }
    int Height() const { return m_layout.height; }
    const pybind11::array& Array() const { return m_array; }
    std::string Repr() const;

    // The 8-bit view for one call of the library; raises TypeError for a 16-bit image. The
    // pointer owns nothing (no shared count is touched when the library copies it, so threads
    // measuring one image do not contend on it); the caller keeps this Image alive for the call.
    std::shared_ptr<OType_Image> Grey8ForCall();

    // Calls f with the view of the image's own pixel type (const OType_Image& or const
    // OType_Image16&). Needs no interpreter lock: it touches no Python object.
    template <class F>
    auto Visit(F&& f) const {
        return m_bIs16 ? f(m_grey16) : f(m_grey8);
    }

  private:
    static constexpr int kBits8 = 8;
    static constexpr int kBits16 = 16;

    pybind11::array m_array;
    GreyLayout m_layout;
    bool m_bIs16 = false;
    OType_Image m_grey8;
    OType_Image16 m_grey16;
};

// An image argument: an Image as it is, or a NumPy array viewed for the duration of the call.
// Holds the Image (and so the array) alive while the argument lives.
class ImageArgument {
  public:
    ImageArgument() = default;
    explicit ImageArgument(std::shared_ptr<Image> image) : m_image(std::move(image)) {}
    Image& Get() const { return *m_image; }

  private:
    std::shared_ptr<Image> m_image;
};

// Turns any Python object into an image argument, raising TypeError or ValueError as Image does,
// and TypeError for objects that are neither an Image nor an array.
ImageArgument ImageArgumentFrom(pybind11::handle object);

}  // namespace pybinding

namespace pybind11::detail {

// Functions that take an ImageArgument accept an Image or a NumPy array; a wrong argument raises
// the Image's own message instead of pybind11's list of signatures.
template <>
struct type_caster<pybinding::ImageArgument> {
    PYBIND11_TYPE_CASTER(pybinding::ImageArgument, const_name("Image | numpy.ndarray"));
    bool load(handle source, bool /*convert*/) {
        value = pybinding::ImageArgumentFrom(source);
        return true;
    }
};

}  // namespace pybind11::detail

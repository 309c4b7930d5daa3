#include "ImageArgument.h"

#include <climits>
#include <cstdint>
#include <sstream>

#include "Bindings.h"

namespace py = pybind11;

namespace pybinding {
namespace {

constexpr int kImageDimensions = 2;
constexpr int kColourDimensions = 3;

// The pixel types an Image takes, as NumPy names them, for the messages.
constexpr const char* kAcceptedTypes = "uint8 or uint16";

[[noreturn]] void ThrowType(const std::string& message) {
    throw py::type_error(message);
}
[[noreturn]] void ThrowValue(const std::string& message) {
    throw py::value_error(message);
}

std::string ShapeText(const py::array& array) {
    std::ostringstream text;
    text << "(";
    for (py::ssize_t d = 0; d < array.ndim(); ++d) {
        text << (d > 0 ? ", " : "") << array.shape(d);
    }
    text << (array.ndim() == 1 ? ",)" : ")");
    return text.str();
}

// What to do with an array of another dtype: the usual conversions of grey images.
std::string ConversionHint(const py::dtype& dtype) {
    const char kind = dtype.kind();
    if (kind == 'f') {
        return "scale floating-point grey values and convert, e.g. "
               "np.clip(img * 255, 0, 255).astype(np.uint8) for values in 0..1, or "
               "img.astype(np.uint8) (img.astype(np.uint16)) for values already in 0..255 "
               "(0..65535)";
    }
    if (kind == 'u' && dtype.itemsize() == 2) {
        return "16-bit images are read in the machine's byte order: convert with "
               "img.astype(np.uint16)";
    }
    if (kind == 'b') {
        return "convert a mask with img.astype(np.uint8) * 255";
    }
    return "convert with img.astype(np.uint8), or img.astype(np.uint16) for more than 8 bits "
           "(values outside the range wrap around)";
}

// The layout checks shared by every pixel type: two dimensions, a non-empty image within the int
// range of the library, adjacent pixels in a row and rows at a positive stride.
GreyLayout CheckLayout(const py::array& array) {
    if (array.ndim() == kColourDimensions && (array.shape(2) == 3 || array.shape(2) == 4)) {
        ThrowValue("expected a 2-D grey image, got a colour image of shape " + ShapeText(array) +
                   ": convert it to grey first, e.g. cv2.cvtColor(img, cv2.COLOR_BGR2GRAY) "
                   "(or COLOR_RGB2GRAY for RGB order, COLOR_BGRA2GRAY with alpha)");
    }
    if (array.ndim() != kImageDimensions) {
        ThrowValue("expected a 2-D grey image (height, width), got an array of shape " +
                   ShapeText(array));
    }
    const py::ssize_t height = array.shape(0);
    const py::ssize_t width = array.shape(1);
    if (height == 0 || width == 0) {
        ThrowValue("expected a non-empty image, got shape " + ShapeText(array));
    }
    if (height > INT_MAX || width > INT_MAX) {
        ThrowValue("image of shape " + ShapeText(array) +
                   " is larger than 2147483647 pixels "
                   "along an axis");
    }
    const py::ssize_t itemSize = array.itemsize();
    const py::ssize_t columnStride = array.strides(1);
    const py::ssize_t rowStride = array.strides(0);
    if (columnStride != itemSize) {
        ThrowValue("the pixels of a row must be adjacent in memory (column stride " +
                   std::to_string(itemSize) + " bytes, got " + std::to_string(columnStride) +
                   "), as for a crop img[y0:y1, x0:x1] but not for img[:, ::2] or img.T: copy it "
                   "with np.ascontiguousarray(img)");
    }
    if (rowStride < width * itemSize || rowStride > INT_MAX) {
        ThrowValue(
            "the rows must follow each other at a positive stride of at least one row "
            "(got " +
            std::to_string(rowStride) + " bytes for rows of " + std::to_string(width * itemSize) +
            "), as not for img[::-1]: copy it with "
            "np.ascontiguousarray(img)");
    }
    GreyLayout layout;
    // The library never writes an image, so a read-only array is viewed as well.
    layout.pixels = const_cast<void*>(array.data());
    layout.width = static_cast<int>(width);
    layout.height = static_cast<int>(height);
    layout.rowStrideBytes = static_cast<int>(rowStride);
    return layout;
}

// A 16-bit view addresses pixels, not bytes: its first pixel must be aligned and its rows a whole
// number of pixels apart.
void CheckWholePixels(const GreyLayout& layout, std::size_t pixelBytes) {
    if (reinterpret_cast<std::uintptr_t>(layout.pixels) % pixelBytes != 0) {
        ThrowValue(
            "the 16-bit image does not start on a whole pixel (a view at an odd byte "
            "offset): copy it with np.ascontiguousarray(img)");
    }
    if (static_cast<std::size_t>(layout.rowStrideBytes) % pixelBytes != 0) {
        ThrowValue(
            "the rows of a 16-bit image must be a whole number of pixels apart (row stride " +
            std::to_string(layout.rowStrideBytes) +
            " bytes is odd, as for a uint8 buffer viewed as uint16): copy it with "
            "np.ascontiguousarray(img)");
    }
}

}  // namespace

Image::Image(py::object object) {
    if (!py::isinstance<py::array>(object)) {
        ThrowType(std::string("expected a 2-D numpy.ndarray of ") + kAcceptedTypes +
                  " grey values, got " +
                  std::string(py::str(py::type::of(object).attr("__name__"))) +
                  ": convert with np.asarray(img, dtype=np.uint8)");
    }
    m_array = py::reinterpret_borrow<py::array>(object);
    const py::dtype dtype = m_array.dtype();
    // Equivalence with the native types also refuses a byte order other than the machine's.
    m_bIs16 = py::array_t<std::uint16_t>::check_(m_array);
    if (!m_bIs16 && !py::array_t<std::uint8_t>::check_(m_array)) {
        ThrowType(std::string("expected an image of ") + kAcceptedTypes +
                  " grey values, got dtype " + std::string(py::str(py::handle(dtype))) + ": " +
                  ConversionHint(dtype));
    }
    m_layout = CheckLayout(m_array);
    if (m_bIs16) {
        CheckWholePixels(m_layout, sizeof(std::uint16_t));
        m_grey16 = OType_Image16(m_layout.width, m_layout.height,
                                 static_cast<const std::uint16_t*>(m_layout.pixels),
                                 m_layout.rowStrideBytes / std::ptrdiff_t{sizeof(std::uint16_t)});
    } else {
        m_grey8 =
            OType_Image(m_layout.width, m_layout.height,
                        static_cast<unsigned char*>(m_layout.pixels), m_layout.rowStrideBytes);
    }
}

std::shared_ptr<OType_Image> Image::Grey8ForCall() {
    if (m_bIs16) {
        ThrowType(
            "the paths measure 8-bit images only, got a 16-bit image: the calipers and the "
            "metrology tools measure both, or convert with (img >> 8).astype(np.uint8)");
    }
    return {std::shared_ptr<OType_Image>(), &m_grey8};
}

std::string Image::Repr() const {
    std::ostringstream text;
    text << "Image(width=" << m_layout.width << ", height=" << m_layout.height
         << ", dtype=" << std::string(py::str(m_array.dtype().attr("name"))) << ")";
    return text.str();
}

ImageArgument ImageArgumentFrom(py::handle object) {
    if (py::isinstance<Image>(object)) {
        return ImageArgument(object.cast<std::shared_ptr<Image>>());
    }
    return ImageArgument(std::make_shared<Image>(py::reinterpret_borrow<py::object>(object)));
}

void BindImage(py::module_& m) {
    py::class_<Image, std::shared_ptr<Image>>(
        m, "Image",
        "A grey image over a NumPy array, used in place (no copy).\n\n"
        "Takes a 2-D uint8 or uint16 array (height, width), C-contiguous or a strided view of a "
        "larger array such as the crop img[100:300, 50:250]; the pixels of a row must be "
        "adjacent. 16-bit images (any camera depth up to 16 bits, grey values as stored) are "
        "measured by the calipers and the metrology tools; the paths take 8-bit images. The "
        "Image keeps the array alive, and a change to the array is seen by the next "
        "measurement. Every measuring call also takes the array itself; an Image saves the "
        "checks when one image is measured many times.\n\n"
        "Raises TypeError for another type or dtype and ValueError for another shape or "
        "layout, each saying how to convert (cv2.cvtColor for colour, img.astype(np.uint8), "
        "np.ascontiguousarray).")
        .def(py::init<py::object>(), py::arg("array"),
             "View a 2-D uint8 or uint16 NumPy array as a grey image, without a copy.")
        .def_property_readonly("width", &Image::Width, "Width in pixels (the array's shape[1]).")
        .def_property_readonly("height", &Image::Height, "Height in pixels (the array's shape[0]).")
        .def_property_readonly("bits", &Image::Bits, "Bits per pixel: 8 or 16.")
        .def_property_readonly("array", &Image::Array, "The NumPy array the image reads.")
        .def("__repr__", &Image::Repr);
}

}  // namespace pybinding

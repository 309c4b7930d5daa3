#pragma once
// OType_Image16: a 16-bit grey image, row-major, addressed by pixel (x to the right, y downwards),
// as machine-vision cameras of 10 to 16 bits deliver it.
//
// An image either owns its pixels or views a caller's buffer without a copy (a NumPy array, a
// managed ushort[] pinned by the host, a camera buffer); a view must not outlive the buffer and
// never writes to it. The row stride is counted in PIXELS (elements of 16 bits), not bytes: a
// caller holding a byte stride divides it by two. Pixel i covers [i, i + 1) as everywhere in the
// library; grey values are the raw 16-bit numbers, in whatever scale the camera uses (a 12-bit
// camera gives 0..4095), and the calipers' thresholds are in that same scale.
//
// Bad input: negative or zero sizes, a null buffer or a stride smaller than the width give an
// empty image (IsEmpty()), which every caliper answers with OCaliperStatus::EmptyImage. Reading
// outside the image answers kNoValue (-2147483648).
//
//   std::vector<std::uint16_t> pixels(640 * 480);
//   OType_Image16 view(640, 480, pixels.data(), 640);   // stride in pixels, no copy
//   OType_Image16 owned(640, 480);                      // zero pixels
//   owned.SetPixel_Grey(3, 2, 4095);

#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "EdgeDetectionExport.h"

class EDGEDETECTION_EXPORT OType_Image16 {
  public:
    // The no-value marker: the grey value of a point outside the image.
    static constexpr int kNoValue = INT_MIN;

    OType_Image16() = default;
    // An owned image of zero pixels. Sizes below 1 give an empty image.
    OType_Image16(int width, int height);
    // An owned image of the given pixels, row by row. Missing values are zero, surplus ignored.
    OType_Image16(int width, int height, std::vector<std::uint16_t> pixels);
    // A read-only view of a caller's buffer, `stridePixels` pixels from one row to the next.
    OType_Image16(int width, int height, const std::uint16_t* pixels, std::ptrdiff_t stridePixels);

    OType_Image16(const OType_Image16& other);
    OType_Image16& operator=(const OType_Image16& other);
    OType_Image16(OType_Image16&& other) noexcept;
    OType_Image16& operator=(OType_Image16&& other) noexcept;
    ~OType_Image16() = default;

    int GetWidth() const { return m_iWidth; }
    int GetHeight() const { return m_iHeight; }
    // Pixels (not bytes) from one row to the next.
    std::ptrdiff_t GetStride() const { return m_iStride; }
    const std::uint16_t* GetData() const { return m_pPixels; }
    bool IsEmpty() const { return m_pPixels == nullptr; }
    // True when the image owns its pixels, false for a view.
    bool OwnsPixels() const { return m_pPixels == nullptr || m_pPixels == m_vOwned.data(); }

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_iWidth && y < m_iHeight; }
    int GetPixel_Grey(int x, int y) const {
        return Contains(x, y) ? m_pPixels[Offset(x, y)] : kNoValue;
    }
    // Stores the low 16 bits of value into an owned image; a view or a point outside is ignored.
    void SetPixel_Grey(int x, int y, int value);

  private:
    std::ptrdiff_t Offset(int x, int y) const {
        return static_cast<std::ptrdiff_t>(y) * m_iStride + x;
    }
    void AdoptOwned();

    int m_iWidth = 0;
    int m_iHeight = 0;
    std::ptrdiff_t m_iStride = 0;
    const std::uint16_t* m_pPixels = nullptr;
    std::vector<std::uint16_t> m_vOwned;
};

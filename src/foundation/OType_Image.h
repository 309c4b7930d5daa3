#pragma once
// OType_Image: an 8-bit grey image, row-major, addressed by pixel (x to the right, y downwards).
//
// An image either owns its pixels or views a caller's buffer with a row stride, without a copy
// (for example pixels that another imaging library holds); a view must not outlive the buffer.
// Reading outside the image answers the no-value marker -2147483648 (kNoValue), which every
// caller treats as a missing sample.
//
//   OType_Image owned(640, 480);                          // zero pixels
//   OType_Image view(640, 480, buffer, bytesPerRow);      // no copy
//   int grey = owned.GetPixel_Grey(OVector(10.5, 3.0));    // pixel (10, 3)

#include <climits>
#include <cstddef>
#include <vector>

#include "EdgeDetectionExport.h"
#include "foundation/OVector.h"

class EDGEDETECTION_EXPORT OType_Image {
  public:
    // The no-value marker: the grey value of a point outside the image.
    static constexpr int kNoValue = INT_MIN;

    OType_Image() = default;
    // An owned image of zero pixels. Negative sizes give an empty image.
    OType_Image(int width, int height);
    // An owned image of the given pixels, row by row. Missing bytes are zero, surplus bytes are
    // ignored.
    OType_Image(int width, int height, std::vector<unsigned char> pixels);
    // A view of a caller's buffer: `stride` bytes from one row to the next (at least the width).
    // A null buffer or a stride below the width gives an empty image.
    OType_Image(int width, int height, unsigned char* pixels, int stride);

    OType_Image(const OType_Image& other);
    OType_Image& operator=(const OType_Image& other);
    OType_Image(OType_Image&& other) noexcept;
    OType_Image& operator=(OType_Image&& other) noexcept;
    virtual ~OType_Image() = default;

    int GetWidth() const { return m_iWidth; }
    int GetHeight() const { return m_iHeight; }
    int GetStride() const { return m_iStride; }
    const unsigned char* GetData() const { return m_pPixels; }
    unsigned char* GetData() { return m_pPixels; }
    // True when the image owns its pixels, false for a view.
    bool OwnsPixels() const { return m_pPixels == nullptr || m_pPixels == m_vOwned.data(); }

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_iWidth && y < m_iHeight; }

    int GetPixel_Grey(int x, int y) const {
        if (!Contains(x, y)) {
            return kNoValue;
        }
        return m_pPixels[Offset(x, y)];
    }
    // The grey value of the pixel that contains the point (iX(), iY()).
    int GetPixel_Grey(const OVector& position) const {
        return GetPixel_Grey(position.iX(), position.iY());
    }
    // Stores the low byte of value; nothing outside the image.
    void SetPixel_Grey(int x, int y, int value) {
        if (Contains(x, y)) {
            m_pPixels[Offset(x, y)] = static_cast<unsigned char>(value);
        }
    }

  private:
    // Offset of a pixel in pointer width: y * stride may exceed the int range, and long is 32 bits
    // on some platforms.
    std::ptrdiff_t Offset(int x, int y) const {
        return static_cast<std::ptrdiff_t>(y) * m_iStride + x;
    }
    void AdoptOwned();

    int m_iWidth = 0;
    int m_iHeight = 0;
    int m_iStride = 0;
    unsigned char* m_pPixels = nullptr;
    std::vector<unsigned char> m_vOwned;
};

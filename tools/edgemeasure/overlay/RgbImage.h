#pragma once
// RgbImage: an 8-bit colour image (red, green, blue per pixel, row-major) that the overlay is
// painted on, with the two drawing primitives the painter needs.
//
// Coordinates: pixel (x, y) is the square [x, x + 1) x [y, y + 1), as in the library.
// - DrawLine paints the pixels of a line between the pixels (x0, y0) and (x1, y1) (Bresenham),
//   `thickness` pixels wide across its major direction. The line is first clipped to the image,
//   so its ends may lie anywhere in the int range: the cost is that of the visible part, and
//   nothing outside the image is touched.
// - FillPolygon paints the pixels whose centres (x + 0.5, y + 0.5) lie inside a convex polygon
//   given in continuous coordinates (glyph quads, text boxes).
//
//   RgbImage canvas = RgbImage::FromGrey(image);
//   canvas.DrawLine(-100, 5, 1000, 5, {255, 255, 0});   // row 5 across the whole image

#include <cstdint>
#include <vector>

#include "foundation/OType_Image.h"

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

inline bool operator==(const Rgb& a, const Rgb& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

class RgbImage {
  public:
    static constexpr int kChannels = 3;

    RgbImage() = default;
    // A black image; negative sizes give an empty one.
    RgbImage(int width, int height);
    // The grey image in colour (each grey value on all three channels).
    static RgbImage FromGrey(const OType_Image& grey);

    int Width() const { return m_iWidth; }
    int Height() const { return m_iHeight; }
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_iWidth && y < m_iHeight; }
    // Black outside the image.
    Rgb GetPixel(int x, int y) const;
    // Nothing outside the image.
    void SetPixel(int x, int y, Rgb colour);

    void DrawLine(int x0, int y0, int x1, int y1, Rgb colour, int thickness = 1);
    void FillPolygon(const double* xs, const double* ys, int count, Rgb colour);

  private:
    int m_iWidth = 0;
    int m_iHeight = 0;
    std::vector<std::uint8_t> m_bytes;
};

#include "overlay/RgbImage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Liang-Barsky clipping of the segment (x0, y0)-(x1, y1) to the rectangle [min, maxX] x
// [min, maxY] of pixel indices. Answers false when nothing of the segment lies inside; else moves
// the ends onto the visible part. Doubles hold the int range exactly, so far-away ends lose
// nothing.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, double maxX, double maxY,
                 double min) {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    double enter = 0.0;
    double leave = 1.0;
    // Each border as p * t <= q: left, right, top, bottom.
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - min, maxX - x0, y0 - min, maxY - y0};
    for (int border = 0; border < 4; ++border) {
        if (p[border] == 0.0) {
            if (q[border] < 0.0) {
                return false;  // parallel to this border and outside it
            }
            continue;
        }
        const double t = q[border] / p[border];
        if (p[border] < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
    }
    if (enter > leave) {
        return false;
    }
    const double startX = x0;
    const double startY = y0;
    x0 = startX + enter * dx;
    y0 = startY + enter * dy;
    x1 = startX + leave * dx;
    y1 = startY + leave * dy;
    return true;
}

// A coordinate as a pixel index limited to [low, high], so that far-away shapes cost nothing and
// no conversion overflows.
int ClampedIndex(double value, int low, int high) {
    return static_cast<int>(std::clamp(value, static_cast<double>(low), static_cast<double>(high)));
}

}  // namespace

RgbImage::RgbImage(int width, int height)
    : m_iWidth(std::max(width, 0)),
      m_iHeight(std::max(height, 0)),
      m_bytes(static_cast<std::size_t>(m_iWidth) * static_cast<std::size_t>(m_iHeight) *
              kChannels) {}

RgbImage RgbImage::FromGrey(const OType_Image& grey) {
    RgbImage image(grey.GetWidth(), grey.GetHeight());
    for (int y = 0; y < image.m_iHeight; ++y) {
        for (int x = 0; x < image.m_iWidth; ++x) {
            const auto value = static_cast<std::uint8_t>(grey.GetPixel_Grey(x, y));
            image.SetPixel(x, y, {value, value, value});
        }
    }
    return image;
}

Rgb RgbImage::GetPixel(int x, int y) const {
    if (!Contains(x, y)) {
        return {};
    }
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(m_iWidth) +
                            static_cast<std::size_t>(x)) *
                           kChannels;
    return {m_bytes[at], m_bytes[at + 1], m_bytes[at + 2]};
}

void RgbImage::SetPixel(int x, int y, Rgb colour) {
    if (!Contains(x, y)) {
        return;
    }
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(m_iWidth) +
                            static_cast<std::size_t>(x)) *
                           kChannels;
    m_bytes[at] = colour.r;
    m_bytes[at + 1] = colour.g;
    m_bytes[at + 2] = colour.b;
}

void RgbImage::DrawLine(int x0, int y0, int x1, int y1, Rgb colour, int thickness) {
    if (m_iWidth == 0 || m_iHeight == 0) {
        return;
    }
    const int width = std::max(thickness, 1);
    // A thick line is a run of `width` pixels across its major direction at each step, centred
    // on the one-pixel line (the extra pixel of an even width on the lower or right side).
    const int before = (width - 1) / 2;
    double ax = x0;
    double ay = y0;
    double bx = x1;
    double by = y1;
    // Clipped to the image grown by the run, so that a thick line along the border shows.
    if (!ClipSegment(ax, ay, bx, by, m_iWidth - 1 + width, m_iHeight - 1 + width, -width)) {
        return;
    }
    // The clipped ends lie near the image, so the walk below is bounded by its size.
    int x = static_cast<int>(std::lround(ax));
    int y = static_cast<int>(std::lround(ay));
    const int endX = static_cast<int>(std::lround(bx));
    const int endY = static_cast<int>(std::lround(by));
    const int dx = std::abs(endX - x);
    const int dy = -std::abs(endY - y);
    const bool runsVertically = dx >= -dy;
    const int stepX = x < endX ? 1 : -1;
    const int stepY = y < endY ? 1 : -1;
    int error = dx + dy;
    while (true) {
        for (int k = -before; k < width - before; ++k) {
            SetPixel(runsVertically ? x : x + k, runsVertically ? y + k : y, colour);
        }
        if (x == endX && y == endY) {
            break;
        }
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

void RgbImage::FillPolygon(const double* xs, const double* ys, int count, Rgb colour) {
    if (count < 3) {
        return;
    }
    const double top = *std::min_element(ys, ys + count);
    const double bottom = *std::max_element(ys, ys + count);
    const int firstRow = ClampedIndex(std::floor(top), 0, m_iHeight);
    const int lastRow = ClampedIndex(std::ceil(bottom), -1, m_iHeight - 1);
    for (int row = firstRow; row <= lastRow; ++row) {
        // The span of a convex polygon on the horizontal through the pixel centres of this row.
        const double sampleY = row + 0.5;
        double left = INFINITY;
        double right = -INFINITY;
        for (int i = 0; i < count; ++i) {
            const int j = (i + 1) % count;
            const double ya = ys[i];
            const double yb = ys[j];
            if ((sampleY < ya) == (sampleY < yb)) {
                continue;  // the edge does not cross this horizontal
            }
            const double x = xs[i] + (sampleY - ya) * (xs[j] - xs[i]) / (yb - ya);
            left = std::min(left, x);
            right = std::max(right, x);
        }
        if (left > right) {
            continue;
        }
        // Pixels whose centre x + 0.5 lies in [left, right).
        const int firstColumn = ClampedIndex(std::ceil(left - 0.5), 0, m_iWidth);
        const int lastColumn = ClampedIndex(std::ceil(right - 0.5) - 1.0, -1, m_iWidth - 1);
        for (int column = firstColumn; column <= lastColumn; ++column) {
            SetPixel(column, row, colour);
        }
    }
}

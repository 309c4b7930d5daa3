#include "caliper/OType_Image16.h"

#include <utility>

OType_Image16::OType_Image16(int width, int height)
    : OType_Image16(width, height, std::vector<std::uint16_t>()) {}

OType_Image16::OType_Image16(int width, int height, std::vector<std::uint16_t> pixels) {
    if (width <= 0 || height <= 0) {
        return;
    }
    m_iWidth = width;
    m_iHeight = height;
    m_iStride = width;
    m_vOwned = std::move(pixels);
    m_vOwned.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    m_pPixels = m_vOwned.data();
}

OType_Image16::OType_Image16(int width, int height, const std::uint16_t* pixels,
                             std::ptrdiff_t stridePixels) {
    if (width <= 0 || height <= 0 || pixels == nullptr || stridePixels < width) {
        return;
    }
    m_iWidth = width;
    m_iHeight = height;
    m_iStride = stridePixels;
    m_pPixels = pixels;
}

OType_Image16::OType_Image16(const OType_Image16& other)
    : m_iWidth(other.m_iWidth),
      m_iHeight(other.m_iHeight),
      m_iStride(other.m_iStride),
      m_pPixels(other.m_pPixels),
      m_vOwned(other.m_vOwned) {
    AdoptOwned();
}

OType_Image16& OType_Image16::operator=(const OType_Image16& other) {
    if (this != &other) {
        OType_Image16 copy(other);
        *this = std::move(copy);
    }
    return *this;
}

OType_Image16::OType_Image16(OType_Image16&& other) noexcept
    : m_iWidth(other.m_iWidth),
      m_iHeight(other.m_iHeight),
      m_iStride(other.m_iStride),
      m_pPixels(other.m_pPixels),
      m_vOwned(std::move(other.m_vOwned)) {
    AdoptOwned();
    other.m_iWidth = other.m_iHeight = 0;
    other.m_iStride = 0;
    other.m_pPixels = nullptr;
}

OType_Image16& OType_Image16::operator=(OType_Image16&& other) noexcept {
    if (this != &other) {
        m_iWidth = other.m_iWidth;
        m_iHeight = other.m_iHeight;
        m_iStride = other.m_iStride;
        m_pPixels = other.m_pPixels;
        m_vOwned = std::move(other.m_vOwned);
        AdoptOwned();
        other.m_iWidth = other.m_iHeight = 0;
        other.m_iStride = 0;
        other.m_pPixels = nullptr;
        other.m_vOwned.clear();
    }
    return *this;
}

void OType_Image16::SetPixel_Grey(int x, int y, int value) {
    if (Contains(x, y) && !m_vOwned.empty()) {
        m_vOwned[static_cast<std::size_t>(Offset(x, y))] = static_cast<std::uint16_t>(value);
    }
}

// An owning image points into its own storage; a view keeps the caller's pointer.
void OType_Image16::AdoptOwned() {
    if (!m_vOwned.empty()) {
        m_pPixels = m_vOwned.data();
    }
}

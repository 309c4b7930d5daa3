#include "foundation/OType_Image.h"

#include <utility>

namespace {
bool ValidSize(int width, int height) {
    return width > 0 && height > 0;
}
}  // namespace

OType_Image::OType_Image(int width, int height)
    : OType_Image(width, height, std::vector<unsigned char>()) {}

OType_Image::OType_Image(int width, int height, std::vector<unsigned char> pixels) {
    if (!ValidSize(width, height)) {
        return;
    }
    m_iWidth = width;
    m_iHeight = height;
    m_iStride = width;
    m_vOwned = std::move(pixels);
    m_vOwned.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    m_pPixels = m_vOwned.data();
}

OType_Image::OType_Image(int width, int height, unsigned char* pixels, int stride) {
    if (!ValidSize(width, height) || pixels == nullptr || stride < width) {
        return;
    }
    m_iWidth = width;
    m_iHeight = height;
    m_iStride = stride;
    m_pPixels = pixels;
}

OType_Image::OType_Image(const OType_Image& other)
    : m_iWidth(other.m_iWidth),
      m_iHeight(other.m_iHeight),
      m_iStride(other.m_iStride),
      m_pPixels(other.m_pPixels),
      m_vOwned(other.m_vOwned) {
    AdoptOwned();
}

OType_Image& OType_Image::operator=(const OType_Image& other) {
    if (this != &other) {
        OType_Image copy(other);
        *this = std::move(copy);
    }
    return *this;
}

OType_Image::OType_Image(OType_Image&& other) noexcept
    : m_iWidth(other.m_iWidth),
      m_iHeight(other.m_iHeight),
      m_iStride(other.m_iStride),
      m_pPixels(other.m_pPixels),
      m_vOwned(std::move(other.m_vOwned)) {
    AdoptOwned();
    other.m_iWidth = other.m_iHeight = other.m_iStride = 0;
    other.m_pPixels = nullptr;
}

OType_Image& OType_Image::operator=(OType_Image&& other) noexcept {
    if (this != &other) {
        m_iWidth = other.m_iWidth;
        m_iHeight = other.m_iHeight;
        m_iStride = other.m_iStride;
        m_pPixels = other.m_pPixels;
        m_vOwned = std::move(other.m_vOwned);
        AdoptOwned();
        other.m_iWidth = other.m_iHeight = other.m_iStride = 0;
        other.m_pPixels = nullptr;
        other.m_vOwned.clear();
    }
    return *this;
}

// An owning image points into its own storage; a view keeps the caller's pointer.
void OType_Image::AdoptOwned() {
    if (!m_vOwned.empty()) {
        m_pPixels = m_vOwned.data();
    }
}

#pragma once
// Limits: the largest images and coordinates edgemeasure accepts, stated once.
//
// Line-scan and high-resolution cameras deliver rows of 16,000 to 64,000 pixels, so a side may
// be up to 100,000 pixels and an image up to 2^31 pixels (2 GiB at 8 bits per pixel, e.g.
// 64,000 x 33,554 rows). A file whose header promises more is refused before anything is
// allocated. Job coordinates, radii and steps may reach the largest side (in absolute value), so
// that any place in any accepted image can be measured.

#include <cstdint>

constexpr std::int64_t kMaxImageSide = 100000;
constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 31;
constexpr double kMaxCoordinate = static_cast<double>(kMaxImageSide);

// The longest oblique line: the library counts a line's steps from the sum of its squared pixel
// components in a 32-bit int, so dx^2 + dy^2 = length^2 must stay below 2^31. Lines along a pixel
// row or column are counted without squares and may run the whole image.
constexpr double kMaxObliqueLineLength = 46340.0;
static_assert(46340LL * 46340LL < (std::int64_t{1} << 31), "the squared length fits an int");

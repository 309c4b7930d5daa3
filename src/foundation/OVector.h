#pragma once
// OVector: a 2-D point or direction in raw fixed-point coordinates.
//
// X and Y are signed 64-bit integers with 65536 units per pixel (16.16, see FixedPoint.h).
// Pixel rule: iX()/iY() floor the coordinate, so pixel i covers [i, i + 1) and its centre is
// i + 0.5. Conversions from floating point round to nearest with halves away from zero; integer
// arithmetic on the raw values is exact and wraps around on overflow.
//
// In image coordinates y grows downwards, so Rotate_90_Pos() ((x, y) -> (-y, x)) turns a vector
// clockwise on screen.
//
//   OVector a(10, 20);            // pixels: raw (655360, 1310720)
//   OVector b(10.5, 20.25);       // pixels, rounded to raw units
//   OVector d = b - a;            // exact
//   int px = b.iX();              // 10

#include <cstddef>
#include <cstdint>

#include "EdgeDetectionExport.h"
#include "foundation/FixedPoint.h"

class OByteStream;

class EDGEDETECTION_EXPORT OVector {
  public:
    // Object ID of an OVector record in a byte stream.
    static constexpr unsigned int kObjectID = 0xC4A01001u;

    OVector() = default;
    OVector(const OVector&) = default;
    OVector(double x, double y)
        : m_iX(fixedpoint::RawFromDouble(x * fixedpoint::kRawPerPixel)),
          m_iY(fixedpoint::RawFromDouble(y * fixedpoint::kRawPerPixel)) {}
    OVector(float x, float y) : OVector(static_cast<double>(x), static_cast<double>(y)) {}
    OVector(int x, int y) : m_iX(fixedpoint::RawFromPixel(x)), m_iY(fixedpoint::RawFromPixel(y)) {}
    OVector(std::int64_t rawX, std::int64_t rawY) : m_iX(rawX), m_iY(rawY) {}
    // The unit direction (cos a, sin a) of an angle in radians.
    explicit OVector(double angleRad);

    virtual ~OVector() = default;
    virtual unsigned int GetObjectID() const { return kObjectID; }
    virtual std::size_t GetObjectSize() const;
    virtual bool AddObjectData(OByteStream& stream);
    // Reads one OVector record; on any failure the vector keeps its value and the answer is false.
    virtual bool GetObjectData(OByteStream& stream, bool bFlag);

    OVector& operator=(const OVector&) = default;

    std::int64_t GetRawX() const { return m_iX; }
    std::int64_t GetRawY() const { return m_iY; }

    double dX() const { return fixedpoint::PixelsFromRaw(m_iX); }
    double dY() const { return fixedpoint::PixelsFromRaw(m_iY); }
    int iX() const { return fixedpoint::PixelFromRaw(m_iX); }
    int iY() const { return fixedpoint::PixelFromRaw(m_iY); }

    // atan2 of the raw y and raw x.
    double dAngleRad() const;

    // Scales to a length of one pixel (65536 raw units); a zero vector stays zero.
    OVector& Normalize();

    OVector Rotate_90_Pos() const { return OVector(fixedpoint::WrapSub(0, m_iY), m_iX); }
    OVector Rotate_90_Neg() const { return OVector(m_iY, fixedpoint::WrapSub(0, m_iX)); }

    OVector operator+(const OVector& other) const {
        return OVector(fixedpoint::WrapAdd(m_iX, other.m_iX),
                       fixedpoint::WrapAdd(m_iY, other.m_iY));
    }
    OVector operator-(const OVector& other) const {
        return OVector(fixedpoint::WrapSub(m_iX, other.m_iX),
                       fixedpoint::WrapSub(m_iY, other.m_iY));
    }
    OVector operator*(double factor) const {
        return OVector(fixedpoint::RawFromDouble(static_cast<double>(m_iX) * factor),
                       fixedpoint::RawFromDouble(static_cast<double>(m_iY) * factor));
    }
    OVector operator*(float factor) const { return *this * static_cast<double>(factor); }
    OVector operator*(int factor) const {
        return OVector(fixedpoint::WrapMul(m_iX, factor), fixedpoint::WrapMul(m_iY, factor));
    }

    OVector& operator+=(const OVector& other) {
        m_iX = fixedpoint::WrapAdd(m_iX, other.m_iX);
        m_iY = fixedpoint::WrapAdd(m_iY, other.m_iY);
        return *this;
    }
    OVector& operator-=(const OVector& other) {
        m_iX = fixedpoint::WrapSub(m_iX, other.m_iX);
        m_iY = fixedpoint::WrapSub(m_iY, other.m_iY);
        return *this;
    }
    OVector& operator*=(int factor) {
        m_iX = fixedpoint::WrapMul(m_iX, factor);
        m_iY = fixedpoint::WrapMul(m_iY, factor);
        return *this;
    }

    bool operator==(const OVector& other) const { return m_iX == other.m_iX && m_iY == other.m_iY; }
    bool operator!=(const OVector& other) const { return !(*this == other); }

  private:
    std::int64_t m_iX = 0;
    std::int64_t m_iY = 0;
};

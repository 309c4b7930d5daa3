#include "paths/OVectorPath_Line.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "paths/PathAngles.h"

namespace {

using angles::FoldIntoHalfTurn;
using angles::kHalfPi;
using pathangles::EscapementOf;
using pathangles::UnitVectorAt;
// The pixel of a raw coordinate by the floor, before iX()/iY() saturate it to the int range.
using fixedpoint::FloorPixel;

// An index, whole or fractional, is rejected when it lies below 0 or above the count. A NaN index
// is neither, so it passes, as it does on every path; OVector's saturation then puts its point far
// outside every image.
template <class Index>
bool OnLine(Index t, int stepCount) {
    return !(t < Index(0) || t > static_cast<Index>(stepCount));
}

// start + step * t, with OVector's product for the index type (exact for int, rounded to raw
// units for float and double).
template <class Index>
bool PointOnLine(const OVector& start, const OVector& step, int stepCount, Index t, OVector& v) {
    if (!OnLine(t, stepCount)) {
        return false;
    }
    v = start + step * t;
    return true;
}

// A line has no angle per position: 0 wherever the index lies on it.
template <class Index, class Angle>
bool NoAngleOnLine(int stepCount, Index t, Angle& angle) {
    if (!OnLine(t, stepCount)) {
        return false;
    }
    angle = Angle(0);
    return true;
}

// |value| of an int that is defined for INT_MIN (saturates to INT_MAX). The pixel differences of a
// line come from saturated iX()/iY(), so INT_MIN can occur for points far outside every image.
int SaturatingAbs(int value) {
    const std::int64_t magnitude = std::llabs(static_cast<std::int64_t>(value));
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

// Number of steps of about one pixel for a pixel difference (dx, dy): exact along the axes, else
// the rounded Euclidean length. The squares are summed in 32-bit integers; beyond 2^31 - 1
// (differences above about 46,000 pixels in both directions) the line is outside the domain of
// that sum, which then wraps around (unsigned arithmetic) and may give a meaningless count, 0 for
// a negative sum, but never undefined behaviour.
int StepCountFromPixels(int dx, int dy) {
    if (dx == 0) {
        return SaturatingAbs(dy);
    }
    if (dy == 0) {
        return SaturatingAbs(dx);
    }
    const auto ux = static_cast<std::uint32_t>(dx);
    const auto uy = static_cast<std::uint32_t>(dy);
    const auto sumOfSquares = static_cast<std::int32_t>(ux * ux + uy * uy);
    return fixedpoint::AddHalfAndTruncate(std::sqrt(static_cast<double>(sumOfSquares)));
}

// From a pixel strictly inside the int range, every change of the floor is a change of the
// saturated pixel of iX()/iY(), so the raster loop may compare floors: one shift per coordinate.
constexpr bool FloorIsExactPixel(std::int64_t pixel) {
    return pixel > INT_MIN && pixel < INT_MAX;
}

// Adds the step until `samePixel` fails or the index reaches `last`; answers the new index.
template <class SamePixel>
int StepToNextPixel(std::int64_t& x, std::int64_t& y, std::int64_t stepX, std::int64_t stepY,
                    int index, int last, SamePixel samePixel) {
    do {
        x = fixedpoint::WrapAdd(x, stepX);
        y = fixedpoint::WrapAdd(y, stepY);
        ++index;
    } while (index < last && samePixel(x, y));
    return index;
}

// One raw coordinate of the step: the difference divided by the count, truncating toward zero.
std::int64_t RawStep(std::int64_t difference, int stepCount) {
    if (stepCount == 0) {
        return 0;
    }
    return difference / stepCount;  // counts are never negative: no INT64_MIN / -1
}

}  // namespace

OVectorPath_Line::OVectorPath_Line() {
    m_iPathType = kPathTypeLine;
    m_iCurrentPos = -1;
}

OVectorPath_Line::OVectorPath_Line(OVector vStart, OVector vEnd) : OVectorPath_Line() {
    m_iStepCount = -1;
    CreatePath(vStart, vEnd);
}

OVectorPath_Line::~OVectorPath_Line() = default;

bool OVectorPath_Line::CreatePath(OVector vStart, OVector vEnd) {
    m_vStart = vStart;
    m_vEnd = vEnd;
    const OVector d = vEnd - vStart;

    // The normal's angle folded into [0, pi]; the direction is the normal turned back by pi/2,
    // so it points to non-negative x and text along it never stands upside down.
    const double normalAngle = FoldIntoHalfTurn(d.dAngleRad() - kHalfPi);
    const double directionAngle = normalAngle - kHalfPi;
    m_vNormal = UnitVectorAt(normalAngle);
    m_vDirection = UnitVectorAt(directionAngle);
    m_iTextAngle = EscapementOf(directionAngle);

    m_iStepCount = StepCountFromPixels(d.iX(), d.iY());
    m_vStep = OVector(RawStep(d.GetRawX(), m_iStepCount), RawStep(d.GetRawY(), m_iStepCount));

    Reset();
    return true;
}

std::shared_ptr<OVectorPath_Line> OVectorPath_Line::CastFromBase(
    const std::shared_ptr<OVectorPath>& path) {
    return std::static_pointer_cast<OVectorPath_Line>(path);
}

bool OVectorPath_Line::CurrentVector(OVector& v) {
    v = m_vCurrent;
    return true;
}

bool OVectorPath_Line::CurrentAngle_Rad(float& fAngle) {
    fAngle = 0.0f;
    return false;
}

bool OVectorPath_Line::CurrentAngle_Rad(double& dAngle) {
    dAngle = 0.0;
    return false;
}

void OVectorPath_Line::Reset() {
    m_iCurrentPos = -1;
    m_vCurrent = m_vStart;
}

bool OVectorPath_Line::MoveNext() {
    if (m_iCurrentPos >= m_iStepCount) {
        return false;
    }
    if (m_iCurrentPos < 0) {
        m_vCurrent = m_vStart;
        m_iCurrentPos = 0;
        return true;
    }
    m_vCurrent += m_vStep;
    ++m_iCurrentPos;
    return true;
}

bool OVectorPath_Line::MoveNext(OVector& v) {
    if (!MoveNext()) {
        return false;
    }
    v = m_vCurrent;
    return true;
}

// The hot loop of every search: it works on local raw coordinates and compares pixels, one
// 64-bit addition per coordinate and step, without calls through the virtual table.
bool OVectorPath_Line::MoveNextRaster() {
    if (m_iCurrentPos >= m_iStepCount) {
        return false;
    }
    if (m_iCurrentPos < 0) {
        m_vCurrent = m_vStart;
        m_iCurrentPos = 0;
        return true;
    }
    const std::int64_t stepX = m_vStep.GetRawX();
    const std::int64_t stepY = m_vStep.GetRawY();
    std::int64_t x = m_vCurrent.GetRawX();
    std::int64_t y = m_vCurrent.GetRawY();
    const std::int64_t floorX = FloorPixel(x);
    const std::int64_t floorY = FloorPixel(y);
    if (FloorIsExactPixel(floorX) && FloorIsExactPixel(floorY)) {
        m_iCurrentPos =
            StepToNextPixel(x, y, stepX, stepY, m_iCurrentPos, m_iStepCount,
                            [floorX, floorY](std::int64_t px, std::int64_t py) {
                                return FloorPixel(px) == floorX && FloorPixel(py) == floorY;
                            });
    } else {
        // Beyond the int pixel range iX()/iY() saturate: compare the way they do.
        const int pixelX = m_vCurrent.iX();
        const int pixelY = m_vCurrent.iY();
        m_iCurrentPos = StepToNextPixel(x, y, stepX, stepY, m_iCurrentPos, m_iStepCount,
                                        [pixelX, pixelY](std::int64_t px, std::int64_t py) {
                                            return fixedpoint::PixelFromRaw(px) == pixelX &&
                                                   fixedpoint::PixelFromRaw(py) == pixelY;
                                        });
    }
    m_vCurrent = OVector(x, y);
    return true;
}

bool OVectorPath_Line::MoveNextRaster(OVector& v) {
    if (!MoveNextRaster()) {
        return false;
    }
    v = m_vCurrent;
    return true;
}

bool OVectorPath_Line::MovePrev(OVector& v) {
    if (m_iCurrentPos < 1) {
        return false;
    }
    m_vCurrent -= m_vStep;
    --m_iCurrentPos;
    v = m_vCurrent;
    return true;
}

bool OVectorPath_Line::MovePrevRaster(OVector& v) {
    if (m_iCurrentPos < 1) {
        return false;
    }
    const int pixelX = m_vCurrent.iX();
    const int pixelY = m_vCurrent.iY();
    do {
        m_vCurrent -= m_vStep;
        --m_iCurrentPos;
    } while (m_vCurrent.iX() == pixelX && m_vCurrent.iY() == pixelY && m_iCurrentPos > 0);
    v = m_vCurrent;
    return true;
}

bool OVectorPath_Line::MoveStart(OVector& v) {
    m_iCurrentPos = 0;
    m_vCurrent = m_vStart;
    v = m_vCurrent;
    return true;
}

bool OVectorPath_Line::MoveEnd(OVector& v) {
    m_iCurrentPos = m_iStepCount;
    m_vCurrent = m_vEnd;
    v = m_vCurrent;
    return true;
}

bool OVectorPath_Line::MoveTo(int iIndex, OVector& v) {
    if (!OnLine(iIndex, m_iStepCount)) {
        return false;
    }
    m_iCurrentPos = iIndex;
    m_vCurrent = m_vStart + m_vStep * iIndex;
    v = m_vCurrent;
    return true;
}

int OVectorPath_Line::GetCount() {
    return m_iStepCount;
}

bool OVectorPath_Line::GetStartVector(OVector& v) {
    v = m_vStart;
    return true;
}

bool OVectorPath_Line::GetEndVector(OVector& v) {
    v = m_vEnd;
    return true;
}

bool OVectorPath_Line::GetVectorAt(int iIndex, OVector& v) {
    return PointOnLine(m_vStart, m_vStep, m_iStepCount, iIndex, v);
}
bool OVectorPath_Line::GetVectorAt(float fIndex, OVector& v) {
    return PointOnLine(m_vStart, m_vStep, m_iStepCount, fIndex, v);
}
bool OVectorPath_Line::GetVectorAt(double dIndex, OVector& v) {
    return PointOnLine(m_vStart, m_vStep, m_iStepCount, dIndex, v);
}
bool OVectorPath_Line::GetAngle_RadAt(int iIndex, float& fAngle) {
    return NoAngleOnLine(m_iStepCount, iIndex, fAngle);
}
bool OVectorPath_Line::GetAngle_RadAt(int iIndex, double& dAngle) {
    return NoAngleOnLine(m_iStepCount, iIndex, dAngle);
}
bool OVectorPath_Line::GetAngle_RadAt(float fIndex, float& fAngle) {
    return NoAngleOnLine(m_iStepCount, fIndex, fAngle);
}
bool OVectorPath_Line::GetAngle_RadAt(double dIndex, double& dAngle) {
    return NoAngleOnLine(m_iStepCount, dIndex, dAngle);
}

int OVectorPath_Line::GetVectorPath(OVector_Array& list) {
    list.RemoveAll();
    OVector p = m_vStart;
    for (int i = 0; i < m_iStepCount; ++i) {
        list.Add(std::make_shared<OVector>(p));
        p += m_vStep;
    }
    return list.GetCount();
}

int OVectorPath_Line::GetVectorPathRaster(OVector_Array& list) {
    list.RemoveAll();
    if (m_iStepCount <= 0) {
        return list.GetCount();
    }
    OVector p = m_vStart;
    int i = 0;
    while (i < m_iStepCount) {
        list.Add(std::make_shared<OVector>(p));
        const int pixelX = p.iX();
        const int pixelY = p.iY();
        do {
            p += m_vStep;
            ++i;
        } while (p.iX() == pixelX && p.iY() == pixelY && i < m_iStepCount);
    }
    return list.GetCount();
}

bool OVectorPath_Line::ShiftPath(int /*iDx*/, int /*iDy*/) {
    return false;
}
bool OVectorPath_Line::TurnPath(float /*fAngle*/) {
    return false;
}
bool OVectorPath_Line::TurnPath(double /*dAngle*/) {
    return false;
}
bool OVectorPath_Line::RotatePath(float /*fX*/, float /*fY*/, float /*fAngle*/) {
    return false;
}
bool OVectorPath_Line::RotatePath(double /*dX*/, double /*dY*/, double /*dAngle*/) {
    return false;
}

#include "paths/OVectorPath_Circle.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

float FloatFromBits(std::uint32_t bits) {
    float value = 0.0f;
    static_assert(sizeof(value) == sizeof(bits), "floats are 32-bit");
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

// The constants of each precision. The single-precision ones are fixed by their bit patterns, so
// that they are the float values the stored paths and comparisons were made with, whatever the
// compiler would make of a decimal literal.
template <class Real>
struct ArcConstants;

template <>
struct ArcConstants<double> {
    static constexpr double kDegreeToRadian = 0.017453292519943295;  // pi / 180
    static constexpr double kTwoPi = 6.283185307179586;
    static constexpr double kFullCircleDegrees = 360.0;
    static constexpr double kHalf = 0.5;
};

template <>
struct ArcConstants<float> {
    static inline const float kDegreeToRadian = FloatFromBits(0x3C8EFA35u);  // 0.017453292f
    static inline const float kTwoPi = FloatFromBits(0x40C90FDBu);           // 6.2831855f
    static constexpr float kFullCircleDegrees = 360.0f;
    static constexpr float kHalf = 0.5f;
};

// The point at an angle, in the precision of the angle: std::cos and std::sin of a float are
// cosf and sinf, and the offset is built with OVector's constructor of that precision.
template <class Q>
OVector PointOnCircle(const OVector& center, Q radius, Q angle) {
    return center + OVector(radius * std::cos(angle), radius * std::sin(angle));
}

// The arc length in pixels, rounded: the 0.5 is added before the absolute value is taken, so a
// negative sweep rounds differently (-10.3 gives 9). An arc length that is not a finite number
// gives no steps rather than a huge count with an infinite step.
template <class Real>
int StepCount(Real sweep, Real radius) {
    const Real arcLength = std::fabs(sweep * radius + ArcConstants<Real>::kHalf);
    if (!std::isfinite(arcLength)) {
        return 0;
    }
    return fixedpoint::TruncateToInt(arcLength);
}

bool SamePixel(const OVector& a, int pixelX, int pixelY) {
    return a.iX() == pixelX && a.iY() == pixelY;
}

}  // namespace

// Both circle classes keep the same fields in their own precision; this binds them by reference
// so that one implementation of the walk and the queries serves both.
template <class Real>
struct CircleArc {
    using Constants = ArcConstants<Real>;

    OVectorPath& path;  // for the single steps that raster steps make through the virtual table
    bool& fullCircle;
    OVector& center;
    Real& radius;
    Real& startAngle;
    Real& endAngle;
    OVector& start;
    OVector& end;
    OVector& current;
    Real& currentAngle;
    Real& angleStep;
    int& stepCount;
    int& currentPos;

    OVector PointAt(Real angle) const { return PointOnCircle(center, radius, angle); }
    OVector PointAtZeroAngle() const { return center + OVector(radius, Real(0)); }

    void Create(const OVector& vCenter, Real r, Real startDeg, Real sweepDeg) {
        center = vCenter;
        radius = r;
        const Real sweep = sweepDeg * Constants::kDegreeToRadian;
        if (sweepDeg == Constants::kFullCircleDegrees) {
            fullCircle = true;  // never cleared here: a rebuilt arc keeps the mark
        }
        startAngle = startDeg * Constants::kDegreeToRadian;
        endAngle = startAngle + sweep;
        start = startAngle == Real(0) ? PointAtZeroAngle() : PointAt(startAngle);
        // A full circle from angle 0 ends exactly on its start point, not a rounding away from it.
        end = (endAngle == Real(0) || endAngle == Constants::kTwoPi) ? PointAtZeroAngle()
                                                                     : PointAt(endAngle);
        stepCount = StepCount(sweep, radius);
        // Without steps the quotient would be infinite or not a number; 0 makes index 0 the start.
        angleStep = stepCount > 0 ? sweep / static_cast<Real>(stepCount) : Real(0);
        path.Reset();
    }

    void Reset() {
        currentPos = -1;
        current = start;
        currentAngle = startAngle;
    }

    bool MoveNext() {
        if (currentPos >= stepCount) {
            return false;
        }
        if (currentPos < 0) {
            current = start;
            currentPos = 0;
            return true;
        }
        currentAngle += angleStep;
        current = PointAt(currentAngle);
        ++currentPos;
        return true;
    }

    bool MoveNextRaster() {
        if (currentPos >= stepCount) {
            return false;
        }
        if (currentPos < 0) {
            current = start;
            currentPos = 0;
            return true;
        }
        const int pixelX = current.iX();
        const int pixelY = current.iY();
        do {
            if (!path.MoveNext()) {
                break;  // a step that cannot move would never leave the pixel
            }
        } while (SamePixel(current, pixelX, pixelY) && currentPos < stepCount);
        return true;
    }

    bool MovePrev(OVector& v) {
        if (currentPos < 1) {
            return false;
        }
        currentAngle -= angleStep;
        current = PointAt(currentAngle);
        --currentPos;
        v = current;
        return true;
    }

    bool MovePrevRaster(OVector& v) {
        if (currentPos < 1) {
            return false;
        }
        v = current;
        const int pixelX = v.iX();
        const int pixelY = v.iY();
        OVector scratch;
        do {
            if (!path.MovePrev(scratch)) {
                break;
            }
        } while (SamePixel(current, pixelX, pixelY) && currentPos > 0);
        v = current;
        return true;
    }

    bool MoveStart(OVector& v) {
        currentPos = 0;
        current = start;
        currentAngle = startAngle;
        v = current;
        return true;
    }

    bool MoveEnd(OVector& v) {
        currentPos = stepCount;
        current = end;
        currentAngle = endAngle;  // the stored end angle, not start + count * step
        v = current;
        return true;
    }

    bool MoveTo(int index, OVector& v) {
        Real angle = 0;
        if (!AngleAt(index, angle)) {
            return false;
        }
        currentPos = index;
        currentAngle = angle;
        current = PointAt(angle);
        v = current;
        return true;
    }

    // Index queries, computed directly as index * step + start in the precision Q of the answer
    // (the class's fields converted to it). An index below 0 or above the count is rejected; a NaN
    // index is neither and passes, giving a NaN angle and a point far outside every image.
    template <class Q, class Index>
    bool AngleAt(Index index, Q& angle) const {
        if (index < Index(0) || index > static_cast<Index>(stepCount)) {
            return false;
        }
        angle = static_cast<Q>(angleStep) * static_cast<Q>(index) + static_cast<Q>(startAngle);
        return true;
    }

    template <class Q, class Index>
    bool VectorAt(Index index, OVector& v) const {
        Q angle = 0;
        if (!AngleAt(index, angle)) {
            return false;
        }
        v = PointOnCircle(center, static_cast<Q>(radius), angle);
        return true;
    }

    void StartVector(OVector& v) const { v = PointAt(startAngle); }
    void EndVector(OVector& v) const {
        v = PointAt(startAngle + static_cast<Real>(stepCount) * angleStep);
    }

    // Positions 0..count-1 by the running angle; the end point is not listed, so a full circle
    // does not list its start twice.
    int ListPositions(OVector_Array& list) const {
        list.RemoveAll();
        OVector p = start;
        Real angle = startAngle;
        for (int i = 0; i < stepCount; ++i) {
            list.Add(std::make_shared<OVector>(p));
            angle += angleStep;
            p = PointAt(angle);
        }
        return list.GetCount();
    }

    // Advances p by the running angle until it enters another pixel or index count is reached.
    void AdvanceToNextPixel(OVector& p, Real& angle, int& index) const {
        const int pixelX = p.iX();
        const int pixelY = p.iY();
        do {
            angle += angleStep;
            p = PointAt(angle);
            ++index;
        } while (SamePixel(p, pixelX, pixelY) && index < stepCount);
    }

    // The start point and the first point of every pixel entered before index count.
    int ListRasterBeforeEnd(OVector_Array& list) const {
        list.RemoveAll();
        if (stepCount <= 0) {
            return list.GetCount();
        }
        OVector p = start;
        Real angle = startAngle;
        int index = 0;
        while (index < stepCount) {
            list.Add(std::make_shared<OVector>(p));
            AdvanceToNextPixel(p, angle, index);
        }
        return list.GetCount();
    }

    // The start point (also without steps), then the point reached by every raster advance, the
    // point at index count last.
    int ListRasterWithEnd(OVector_Array& list) const {
        list.RemoveAll();
        OVector p = start;
        Real angle = startAngle;
        int index = 0;
        list.Add(std::make_shared<OVector>(p));
        while (index < stepCount) {
            AdvanceToNextPixel(p, angle, index);
            list.Add(std::make_shared<OVector>(p));
        }
        return list.GetCount();
    }
};

// ---------------------------------------------------------------------------------------------
// OVectorPath_Circle

OVectorPath_Circle::OVectorPath_Circle() {
    m_iPathType = kPathTypeCircle;
    m_iCurrentPos = -1;
}

OVectorPath_Circle::OVectorPath_Circle(OVector vCenter, double dRadius, double dStartAngle_Deg,
                                       double dSweepAngle_Deg)
    : OVectorPath_Circle() {
    CreatePath(vCenter, dRadius, dStartAngle_Deg, dSweepAngle_Deg);
}

OVectorPath_Circle::~OVectorPath_Circle() = default;

CircleArc<double> OVectorPath_Circle::Arc() {
    return {*this,
            m_bFullCircle,
            m_vCenter,
            m_dRadius,
            m_dStartAngle_Rad,
            m_dEndAngle_Rad,
            m_vStart,
            m_vEnd,
            m_vCurrent,
            m_dCurrentAngle_Rad,
            m_dAngleStep_Rad,
            m_iStepCount,
            m_iCurrentPos};
}

bool OVectorPath_Circle::CreatePath(OVector vCenter, double dRadius, double dStartAngle_Deg,
                                    double dSweepAngle_Deg) {
    Arc().Create(vCenter, dRadius, dStartAngle_Deg, dSweepAngle_Deg);
    return true;
}

std::shared_ptr<OVectorPath_Circle> OVectorPath_Circle::CastFromBase(
    const std::shared_ptr<OVectorPath>& path) {
    return std::static_pointer_cast<OVectorPath_Circle>(path);
}

bool OVectorPath_Circle::CurrentVector(OVector& v) {
    v = m_vCurrent;
    return true;
}

bool OVectorPath_Circle::CurrentAngle_Rad(float& fAngle) {
    fAngle = static_cast<float>(m_dCurrentAngle_Rad);
    return true;
}

bool OVectorPath_Circle::CurrentAngle_Rad(double& dAngle) {
    dAngle = m_dCurrentAngle_Rad;
    return true;
}

void OVectorPath_Circle::Reset() {
    Arc().Reset();
}

bool OVectorPath_Circle::MoveNext() {
    return Arc().MoveNext();
}

bool OVectorPath_Circle::MoveNext(OVector& v) {
    if (!MoveNext()) {
        return false;
    }
    v = m_vCurrent;
    return true;
}

bool OVectorPath_Circle::MoveNextRaster() {
    return Arc().MoveNextRaster();
}

bool OVectorPath_Circle::MoveNextRaster(OVector& v) {
    if (!MoveNextRaster()) {
        return false;
    }
    v = m_vCurrent;
    return true;
}

bool OVectorPath_Circle::MovePrev(OVector& v) {
    return Arc().MovePrev(v);
}
bool OVectorPath_Circle::MovePrevRaster(OVector& v) {
    return Arc().MovePrevRaster(v);
}
bool OVectorPath_Circle::MoveStart(OVector& v) {
    return Arc().MoveStart(v);
}
bool OVectorPath_Circle::MoveEnd(OVector& v) {
    return Arc().MoveEnd(v);
}
bool OVectorPath_Circle::MoveTo(int iIndex, OVector& v) {
    return Arc().MoveTo(iIndex, v);
}

int OVectorPath_Circle::GetCount() {
    return m_iStepCount;
}

bool OVectorPath_Circle::GetStartVector(OVector& v) {
    Arc().StartVector(v);
    return true;
}

bool OVectorPath_Circle::GetEndVector(OVector& v) {
    Arc().EndVector(v);
    return true;
}

bool OVectorPath_Circle::GetVectorAt(int iIndex, OVector& v) {
    return Arc().VectorAt<double>(iIndex, v);
}
bool OVectorPath_Circle::GetVectorAt(float fIndex, OVector& v) {
    return Arc().VectorAt<float>(fIndex, v);
}
bool OVectorPath_Circle::GetVectorAt(double dIndex, OVector& v) {
    return Arc().VectorAt<double>(dIndex, v);
}
bool OVectorPath_Circle::GetAngle_RadAt(int iIndex, float& fAngle) {
    return Arc().AngleAt(iIndex, fAngle);
}
bool OVectorPath_Circle::GetAngle_RadAt(int iIndex, double& dAngle) {
    return Arc().AngleAt(iIndex, dAngle);
}
bool OVectorPath_Circle::GetAngle_RadAt(float fIndex, float& fAngle) {
    return Arc().AngleAt(fIndex, fAngle);
}
bool OVectorPath_Circle::GetAngle_RadAt(double dIndex, double& dAngle) {
    return Arc().AngleAt(dIndex, dAngle);
}

int OVectorPath_Circle::GetVectorPath(OVector_Array& list) {
    return Arc().ListPositions(list);
}

int OVectorPath_Circle::GetVectorPathRaster(OVector_Array& list) {
    return Arc().ListRasterBeforeEnd(list);
}

bool OVectorPath_Circle::ShiftPath(int /*iDx*/, int /*iDy*/) {
    return false;
}
bool OVectorPath_Circle::TurnPath(float /*fAngle*/) {
    return false;
}
bool OVectorPath_Circle::TurnPath(double /*dAngle*/) {
    return false;
}
bool OVectorPath_Circle::RotatePath(float /*fX*/, float /*fY*/, float /*fAngle*/) {
    return false;
}
bool OVectorPath_Circle::RotatePath(double /*dX*/, double /*dY*/, double /*dAngle*/) {
    return false;
}

// ---------------------------------------------------------------------------------------------
// OVectorPath_Circle_Float

OVectorPath_Circle_Float::OVectorPath_Circle_Float() {
    m_iPathType = kPathTypeCircle;
    m_iCurrentPos = -1;
}

OVectorPath_Circle_Float::OVectorPath_Circle_Float(OVector vCenter, float fRadius,
                                                   float fStartAngle_Deg, float fSweepAngle_Deg)
    : OVectorPath_Circle_Float() {
    CreatePath(vCenter, fRadius, fStartAngle_Deg, fSweepAngle_Deg);
}

OVectorPath_Circle_Float::~OVectorPath_Circle_Float() = default;

CircleArc<float> OVectorPath_Circle_Float::Arc() {
    return {*this,
            m_bFullCircle,
            m_vCenter,
            m_fRadius,
            m_fStartAngle_Rad,
            m_fEndAngle_Rad,
            m_vStart,
            m_vEnd,
            m_vCurrent,
            m_fCurrentAngle_Rad,
            m_fAngleStep_Rad,
            m_iStepCount,
            m_iCurrentPos};
}

bool OVectorPath_Circle_Float::CreatePath(OVector vCenter, float fRadius, float fStartAngle_Deg,
                                          float fSweepAngle_Deg) {
    Arc().Create(vCenter, fRadius, fStartAngle_Deg, fSweepAngle_Deg);
    return true;
}

bool OVectorPath_Circle_Float::CurrentVector(OVector& v) {
    v = m_vCurrent;
    return true;
}

bool OVectorPath_Circle_Float::CurrentAngle_Rad(float& fAngle) {
    fAngle = m_fCurrentAngle_Rad;
    return true;
}

bool OVectorPath_Circle_Float::CurrentAngle_Rad(double& dAngle) {
    dAngle = static_cast<double>(m_fCurrentAngle_Rad);
    return true;
}

void OVectorPath_Circle_Float::Reset() {
    Arc().Reset();
}

bool OVectorPath_Circle_Float::MoveNext() {
    return Arc().MoveNext();
}

bool OVectorPath_Circle_Float::MoveNext(OVector& v) {
    if (!MoveNext()) {
        return false;
    }
    v = m_vCurrent;
    return true;
}

bool OVectorPath_Circle_Float::MoveNextRaster() {
    return Arc().MoveNextRaster();
}

bool OVectorPath_Circle_Float::MoveNextRaster(OVector& v) {
    if (!MoveNextRaster()) {
        return false;
    }
    v = m_vCurrent;
    return true;
}

bool OVectorPath_Circle_Float::MovePrev(OVector& v) {
    return Arc().MovePrev(v);
}
bool OVectorPath_Circle_Float::MovePrevRaster(OVector& v) {
    return Arc().MovePrevRaster(v);
}
bool OVectorPath_Circle_Float::MoveStart(OVector& v) {
    return Arc().MoveStart(v);
}
bool OVectorPath_Circle_Float::MoveEnd(OVector& v) {
    return Arc().MoveEnd(v);
}
bool OVectorPath_Circle_Float::MoveTo(int iIndex, OVector& v) {
    return Arc().MoveTo(iIndex, v);
}

int OVectorPath_Circle_Float::GetCount() {
    return m_iStepCount;
}

bool OVectorPath_Circle_Float::GetStartVector(OVector& v) {
    Arc().StartVector(v);
    return true;
}

bool OVectorPath_Circle_Float::GetEndVector(OVector& v) {
    Arc().EndVector(v);
    return true;
}

// The int query is single precision like the moves; the double query widens the fields.
bool OVectorPath_Circle_Float::GetVectorAt(int iIndex, OVector& v) {
    return Arc().VectorAt<float>(iIndex, v);
}
bool OVectorPath_Circle_Float::GetVectorAt(float fIndex, OVector& v) {
    return Arc().VectorAt<float>(fIndex, v);
}
bool OVectorPath_Circle_Float::GetVectorAt(double dIndex, OVector& v) {
    return Arc().VectorAt<double>(dIndex, v);
}
bool OVectorPath_Circle_Float::GetAngle_RadAt(int iIndex, float& fAngle) {
    return Arc().AngleAt(iIndex, fAngle);
}
bool OVectorPath_Circle_Float::GetAngle_RadAt(int iIndex, double& dAngle) {
    return Arc().AngleAt(iIndex, dAngle);
}
bool OVectorPath_Circle_Float::GetAngle_RadAt(float fIndex, float& fAngle) {
    return Arc().AngleAt(fIndex, fAngle);
}
bool OVectorPath_Circle_Float::GetAngle_RadAt(double dIndex, double& dAngle) {
    return Arc().AngleAt(dIndex, dAngle);
}

int OVectorPath_Circle_Float::GetVectorPath(OVector_Array& list) {
    return Arc().ListPositions(list);
}

int OVectorPath_Circle_Float::GetVectorPathRaster(OVector_Array& list) {
    return Arc().ListRasterWithEnd(list);
}

bool OVectorPath_Circle_Float::ShiftPath(int /*iDx*/, int /*iDy*/) {
    return false;
}
bool OVectorPath_Circle_Float::TurnPath(float /*fAngle*/) {
    return false;
}
bool OVectorPath_Circle_Float::TurnPath(double /*dAngle*/) {
    return false;
}
bool OVectorPath_Circle_Float::RotatePath(float /*fX*/, float /*fY*/, float /*fAngle*/) {
    return false;
}
bool OVectorPath_Circle_Float::RotatePath(double /*dX*/, double /*dY*/, double /*dAngle*/) {
    return false;
}

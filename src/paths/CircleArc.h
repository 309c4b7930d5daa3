#pragma once
// CircleArc: the geometry, the moves and the queries of both circle paths, written once. Internal
// to the circle paths (OVectorPath_Circle.cpp and OVectorPath_Circle_Float.cpp).
//
// OVectorPath_Circle keeps its fields in double precision, OVectorPath_Circle_Float in single
// precision; CircleArc<Real> binds one path's fields by reference, so that each virtual operation
// of either class is a one-line call into the same template. The constants of each precision are
// in ArcConstants<Real>.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "foundation/Angles.h"
#include "foundation/FixedPoint.h"
#include "foundation/OVector.h"
#include "foundation/OVector_Array.h"
#include "paths/OVectorPath.h"

namespace circlearc {

inline float FloatFromBits(std::uint32_t bits) {
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
    static constexpr double kDegreeToRadian = angles::kRadiansPerDegree;
    static constexpr double kTwoPi = angles::kTwoPi;
    static constexpr double kFullCircleDegrees = angles::kFullTurnDegrees;
};

template <>
struct ArcConstants<float> {
    static inline const float kDegreeToRadian = FloatFromBits(0x3C8EFA35u);  // 0.017453292f
    static inline const float kTwoPi = FloatFromBits(0x40C90FDBu);           // 6.2831855f
    static constexpr auto kFullCircleDegrees = static_cast<float>(angles::kFullTurnDegrees);
};

// The point at an angle, in the precision of the angle: std::cos and std::sin of a float are
// cosf and sinf, and the offset is built with OVector's constructor of that precision.
template <class Q>
OVector PointOnCircle(const OVector& center, Q radius, Q angle) {
    return center + OVector(radius * std::cos(angle), radius * std::sin(angle));
}

// The arc length in pixels, rounded: the half is added (in the arc's precision) before the
// absolute value is taken, so a negative sweep rounds differently (-10.3 gives 9). An arc length
// that is not a finite number gives no steps rather than a huge count with an infinite step.
template <class Real>
int StepCount(Real sweep, Real radius) {
    const Real arcLength = std::fabs(fixedpoint::AddHalf(sweep * radius));
    if (!std::isfinite(arcLength)) {
        return 0;
    }
    return fixedpoint::TruncateToInt(arcLength);
}

inline bool SamePixel(const OVector& a, int pixelX, int pixelY) {
    return a.iX() == pixelX && a.iY() == pixelY;
}

}  // namespace circlearc

// Both circle classes keep the same fields in their own precision; this binds them by reference
// so that one implementation of the walk and the queries serves both.
template <class Real>
struct CircleArc {
    using RealType = Real;
    using Constants = circlearc::ArcConstants<Real>;

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

    OVector PointAt(Real angle) const { return circlearc::PointOnCircle(center, radius, angle); }
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
        stepCount = circlearc::StepCount(sweep, radius);
        // Without steps the quotient would be infinite or not a number; 0 makes index 0 the start.
        angleStep = stepCount > 0 ? sweep / static_cast<Real>(stepCount) : Real(0);
        path.Reset();
    }

    void Reset() {
        currentPos = -1;
        current = start;
        currentAngle = startAngle;
    }

    // The current point and angle, the angle in the precision the caller asks for.
    bool CurrentVector(OVector& v) const {
        v = current;
        return true;
    }
    template <class Q>
    bool CurrentAngle(Q& angle) const {
        angle = static_cast<Q>(currentAngle);
        return true;
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

    // MoveNext(v) and MoveNextRaster(v): the move without output, through the virtual table, and
    // on success the new current point.
    bool MoveNext(OVector& v) {
        if (!path.MoveNext()) {
            return false;
        }
        v = current;
        return true;
    }
    bool MoveNextRaster(OVector& v) {
        if (!path.MoveNextRaster()) {
            return false;
        }
        v = current;
        return true;
    }

    // The raster step: single steps through the virtual table until the pixel changes or the last
    // index is reached.
    bool MoveNextRaster() {
        return MoveNextRasterBy([this] { return path.MoveNext(); });
    }

    // The same raster step with the arc's own single steps, for a path whose MoveNext is the
    // arc's (the transition searches on the library's own circle classes): no call through the
    // virtual table per step.
    bool MoveNextRasterOwnSteps() {
        return MoveNextRasterBy([this] { return MoveNext(); });
    }

    // The raster step made of step(), the single step to use.
    template <class Step>
    bool MoveNextRasterBy(Step step) {
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
            if (!step()) {
                break;  // a step that cannot move would never leave the pixel
            }
        } while (circlearc::SamePixel(current, pixelX, pixelY) && currentPos < stepCount);
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
        } while (circlearc::SamePixel(current, pixelX, pixelY) && currentPos > 0);
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
        v = circlearc::PointOnCircle(center, static_cast<Q>(radius), angle);
        return true;
    }

    void StartVector(OVector& v) const { v = PointAt(startAngle); }
    void EndVector(OVector& v) const {
        v = PointAt(startAngle + static_cast<Real>(stepCount) * angleStep);
    }

    // Calls visit(point) for positions 0..count-1 by the running angle; the end point is not
    // visited, so a full circle does not visit its start twice.
    template <class Visit>
    void ForEachPosition(Visit visit) const {
        OVector p = start;
        Real angle = startAngle;
        for (int i = 0; i < stepCount; ++i) {
            visit(p);
            angle += angleStep;
            p = PointAt(angle);
        }
    }

    // The positions of ForEachPosition as a list.
    int ListPositions(OVector_Array& list) const {
        list.RemoveAll();
        ForEachPosition([&list](const OVector& p) { list.Add(std::make_shared<OVector>(p)); });
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
        } while (circlearc::SamePixel(p, pixelX, pixelY) && index < stepCount);
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

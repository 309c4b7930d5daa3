#pragma once
// CircleWalk: the walk of a transition search on a circle of the library's own classes, raster
// steps and evaluations in one loop over local variables. Internal to the transition searches,
// which take it instead of the arc's raster step and the evaluation one after the other whenever
// it applies.
//
// It visits the same positions with the same angles and points, evaluates them in the same order
// and leaves the same arc state and last-in records as the general walk: a raster step is the
// arc's single steps (the angle advanced by the step, the point at it) until the pixel changes or
// the last index is reached, and one evaluation follows each raster step. It applies to an arc in
// range: the centre within 2^30 pixels of the origin, a radius below 2^29 pixels and an angle that
// stays below 1e30 over every step, from where the arc stands or from its start. There every
// offset is a finite double far inside the raw range and every pixel inside the int range, so the
// conversions need none of their checks and a pixel is one shift per coordinate. The arc's fields
// are written back before every call out (a transition, the end of the arc) and at the end.

#include <cmath>
#include <cstdint>

#include "foundation/FixedPoint.h"
#include "foundation/OVector.h"
#include "paths/CircleArc.h"

template <class Real>
class CircleWalk {
  public:
    static bool Applies(const CircleArc<Real>& arc) {
        const auto withinCentreRange = [](std::int64_t raw) {
            return raw > -kCentreLimit && raw < kCentreLimit;
        };
        const double steps = arc.stepCount > 0 ? static_cast<double>(arc.stepCount) : 0.0;
        const double reach = std::fabs(static_cast<double>(arc.angleStep)) * steps;
        return withinCentreRange(arc.center.GetRawX()) && withinCentreRange(arc.center.GetRawY()) &&
               std::fabs(static_cast<double>(arc.radius)) < kRadiusLimit &&
               std::fabs(static_cast<double>(arc.currentAngle)) + reach < kAngleLimit &&
               std::fabs(static_cast<double>(arc.startAngle)) + reach < kAngleLimit;
    }

    // The walk writes the last-in index and point of the search it serves.
    CircleWalk(CircleArc<Real>& arc, int& iLastIn, OVector& vLastIn)
        : m_arc(arc), m_iLastIn(iLastIn), m_vLastIn(vLastIn) {}

    // Walks on from where the arc stands, whose answer was `previous`, until `done`: a raster step,
    // then evaluate(index, rawX, rawY), and onTransition(entering) at every change of the answer.
    // When the arc is exhausted, onExhausted() may restart it (answering true), and the walk
    // evaluates where it now stands.
    template <class Evaluate, class OnTransition, class OnExhausted>
    void Walk(bool previous, const bool& done, Evaluate evaluate, OnTransition onTransition,
              OnExhausted onExhausted) {
        using fixedpoint::FloorPixel;
        CircleArc<Real>& arc = m_arc;
        const int count = arc.stepCount;
        const Real step = arc.angleStep;
        const Real radius = arc.radius;
        const std::int64_t centreX = arc.center.GetRawX();
        const std::int64_t centreY = arc.center.GetRawY();
        Real angle{};
        int index = 0;
        std::int64_t x = 0;
        std::int64_t y = 0;
        const auto load = [&]() {
            angle = arc.currentAngle;
            index = arc.currentPos;
            x = arc.current.GetRawX();
            y = arc.current.GetRawY();
        };
        const auto publish = [&]() {
            arc.currentAngle = angle;
            arc.currentPos = index;
            arc.current = OVector(x, y);
        };
        load();
        while (!done) {
            if (index >= count) {
                publish();
                if (!onExhausted()) {
                    return;
                }
                load();
            } else if (index < 0) {
                // The first raster step goes to the start point; the angle stays as it is.
                x = arc.start.GetRawX();
                y = arc.start.GetRawY();
                index = 0;
            } else {
                const std::int64_t pixelX = FloorPixel(x);
                const std::int64_t pixelY = FloorPixel(y);
                do {
                    angle += step;
                    // The arc's point at the angle: the offset in the arc's precision, widened,
                    // scaled and rounded to raw units.
                    x = centreX + RawOffset(radius * std::cos(angle));
                    y = centreY + RawOffset(radius * std::sin(angle));
                    ++index;
                } while (FloorPixel(x) == pixelX && FloorPixel(y) == pixelY && index < count);
            }
            const bool in = evaluate(index, x, y);
            if (in) {
                m_iLastIn = index;
                m_vLastIn = OVector(x, y);
            }
            if (in != previous) {
                previous = in;
                publish();
                onTransition(in);
            }
        }
        publish();
    }

  private:
    static constexpr std::int64_t kCentreLimit = std::int64_t{1} << (30 + fixedpoint::kRawShift);
    static constexpr double kRadiusLimit = 536870912.0;  // 2^29 pixels
    static constexpr double kAngleLimit = 1e30;

    static std::int64_t RawOffset(Real pixels) {
        return fixedpoint::RawFromDoubleInRange(static_cast<double>(pixels) *
                                                fixedpoint::kRawPerPixel);
    }

    CircleArc<Real>& m_arc;
    int& m_iLastIn;
    OVector& m_vLastIn;
};

#pragma once
// TransitionWalk: the one walk behind the transition searches of every path kind. Internal: only
// TransitionSearch.cpp includes it; no public header does.
//
// A search walks its path from wherever the path stands, in the class's own raster steps (one
// position per image pixel), and evaluates the transition function once per position with
// IsInTransitionThresholdAt on the path's index and point. A change of the answer between two
// consecutive evaluations is a transition: entering (out, then in) or leaving (in, then out). A
// transition is reported at the last-in position, the most recent position that answered in
// threshold: for an entering transition the first position inside, for a leaving one the last
// position inside before the change. The path is left where the deciding change was seen.
//
// The three searches are written once, as static members of TransitionWalk<Path>, for the three
// path classes; what differs between them is chosen at compile time:
//   - the angle result: the line never writes it, a circle writes its current angle at the
//     position where the change was seen;
//   - the overlay geometry: LineOverlay (a font along the line, ticks along the normal, labels
//     placed from the text extent) or CircleOverlay (radial ticks, labels through
//     OVectorPath::DrawRotatedText);
//   - the full-circle wrap of the pair search, circles only.
//
// Indices, reference indices, minimum distances and label numbers are 32-bit ints. Distances are
// the signed 32-bit difference last-in index - reference, computed with wrap-around, so that any
// caller value (INT_MIN, INT_MAX) gives a defined, if meaningless, answer.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "paths/PathAngles.h"

namespace transitionsearch {

// Polarity codes: which transitions a search accepts. Any other code accepts none.
constexpr int kPolarityAny = 0;
constexpr int kPolarityEntering = 1;
constexpr int kPolarityLeaving = 2;

// The index result of FindNextTransition and FindNextTransitionSingle when nothing was found.
constexpr int kNotFoundIndex = -1;
// The last-in index before any position answered in threshold.
constexpr int kNoLastIn = OVectorPath::kNoValue;

// Label kinds of FindNextTransition and FindNextTransitionSingle ("%d", "S%d", "E%d"); the
// single search on a line draws nothing at all for kind -1. Other kinds draw the tick only.
constexpr int kLabelKindPlain = 1;
constexpr int kLabelKindStart = 2;
constexpr int kLabelKindEnd = 3;
constexpr int kLabelKindSilent = -1;

// Label modes of the pair search: 1 numbers both edges "%d" by their own counts, -1 numbers both
// "%d" by the first-edge count; other modes write "S%d" and "E%d".
constexpr int kPairLabelOwnCounts = 1;
constexpr int kPairLabelFirstCount = -1;

// Argument 12 of the pair search: second edges only once the first-edge search is done.
constexpr int kSecondOnlyAfterFirst = 1;

// Signed 32-bit sum and difference with wrap-around (defined for every input).
constexpr int WrapAdd32(int a, int b) {
    return static_cast<int>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
constexpr int WrapSub32(int a, int b) {
    return static_cast<int>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

// Whether a polarity code accepts a transition of the given kind.
constexpr bool AcceptsPolarity(int polarity, bool entering) {
    return polarity == kPolarityAny || (polarity == kPolarityEntering && entering) ||
           (polarity == kPolarityLeaving && !entering);
}

// Whether `index` lies at least `minimum` after `reference`, as a wrapped 32-bit difference.
constexpr bool AtLeastAfter(int index, int reference, int minimum) {
    return WrapSub32(index, reference) >= minimum;
}

// The text of a label: "%d", "S%d" or "E%d".
enum class LabelFormat { Plain, Start, End };
// Which edge a label marks: a circle writes labels of first edges outside the tick (beyond the
// transition along the radial direction) and labels of second edges inside it.
enum class LabelEdge { First, Second };

struct Label {
    LabelFormat format;
    int number;
    LabelEdge edge;
};

// The label of FindNextTransition and FindNextTransitionSingle for a label kind, or none.
std::optional<Label> LabelForKind(int kind, int number);

// Decimal text of a label: the letter of its format, a minus sign for a negative number, then the
// digits (INT_MIN included).
std::u16string LabelText(const Label& label);

// Overlay of a line search. With a context, the constructor makes the label font (18 device
// units high, escapement along the line) current with a transparent background, and the
// destructor gives the previous font and mode back: every way out of a search restores them.
class LineOverlay {
  public:
    // A silent label kind draws neither tick nor label on a line.
    static constexpr bool kSilentKindDrawsTick = false;

    LineOverlay(OType_DrawingContext* pContext, const OVector& vNormal, const OVector& vDirection,
                int iTextAngle);
    ~LineOverlay();
    LineOverlay(const LineOverlay&) = delete;
    LineOverlay& operator=(const LineOverlay&) = delete;

    // Moves the drawing position to the pixel of a point (the pair search's start).
    void MoveTo(const OVector& vPoint);
    // Marks a transition at T: a tick from T + 8 n to T - 8 n, and the label beside it, on the
    // minus side of the normal for "S%d", else on the plus side, centred along the line.
    void Mark(const OVector& vTransition, bool bTick, const std::optional<Label>& label);

  private:
    OType_DrawingContext* m_pContext;
    OVector m_vNormal;
    OVector m_vDirection;
    std::optional<OType_DrawingFont> m_font;
    OType_DrawingFont* m_pPreviousFont = nullptr;
    int m_iPreviousMode = 0;
};

// Overlay of a circle search: a radial tick at every mark and labels written along the tangent
// through DrawRotatedText, which selects and restores its own font.
class CircleOverlay {
  public:
    // A silent label kind still draws the tick on a circle.
    static constexpr bool kSilentKindDrawsTick = true;

    CircleOverlay(OType_DrawingContext* pContext, const OVector& vCenter);

    void MoveTo(const OVector&) {}
    // Marks a transition at T: a tick from T - 8 n to T + 8 n with n the radial direction folded
    // into [0, pi]; a first-edge label beyond T + 8 n, a second-edge label before T - 8 n.
    void Mark(const OVector& vTransition, bool bTick, const std::optional<Label>& label);

  private:
    OType_DrawingContext* m_pContext;
    OVector m_vCenter;
};

}  // namespace transitionsearch

template <class Path>
class TransitionWalk {
    static constexpr bool kIsCircle = !std::is_same_v<Path, OVectorPath_Line>;
    static_assert(std::is_same_v<Path, OVectorPath_Line> ||
                      std::is_same_v<Path, OVectorPath_Circle> ||
                      std::is_same_v<Path, OVectorPath_Circle_Float>,
                  "the searches walk lines and circles");
    using Overlay = std::conditional_t<kIsCircle, transitionsearch::CircleOverlay,
                                       transitionsearch::LineOverlay>;

    // The three results of one edge: index, point and (circles) angle.
    struct Result {
        int& index;
        OVector& point;
        double& angle;
    };

    // The state of one edge search of the pair search.
    struct EdgeSearch {
        int ordinal;
        int polarity;
        int minDistance;         // from this search's reference index
        int minDistanceToOther;  // from the other edge's current result index
        int reference;
        int count = 0;
        bool found = false;
        bool done = false;
    };

  public:
    // FindNextTransition is the single search for the first qualifying transition, labelled with
    // its number + 1, that marks it with a tick for every label kind.
    static bool FindNext(Path& path, const OType_Image* pImage, int iPolarity, int iMinDistance,
                         int iReferenceIndex, int& iResultIndex, OVector& vResult, double& dAngle,
                         OType_DrawingContext* pContext, int iLabelKind, int iLabelNumber) {
        constexpr int kFirst = 1;
        constexpr bool kStopThere = false;
        constexpr bool kAlwaysTick = true;
        return Single(path, pImage, kFirst, iPolarity, iMinDistance, iReferenceIndex,
                      Result{iResultIndex, vResult, dAngle}, pContext, iLabelKind, iLabelNumber,
                      kStopThere, kAlwaysTick);
    }

    static bool FindNextSingle(Path& path, const OType_Image* pImage, int iOrdinal, int iPolarity,
                               int iMinDistance, int iReferenceIndex, int& iResultIndex,
                               OVector& vResult, double& dAngle, OType_DrawingContext* pContext,
                               int iLabelKind, int iLabelBase, bool bGoOn) {
        const bool tick =
            iLabelKind != transitionsearch::kLabelKindSilent || Overlay::kSilentKindDrawsTick;
        return Single(path, pImage, iOrdinal, iPolarity, iMinDistance, iReferenceIndex,
                      Result{iResultIndex, vResult, dAngle}, pContext, iLabelKind, iLabelBase,
                      bGoOn, tick);
    }

    static bool FindNextPair(Path& path, const OType_Image* pImage, int iOrdinal1, int iPolarity1,
                             int iMinDistance1, int iMinDistance1To2, int iReferenceIndex1,
                             int iOrdinal2, int iPolarity2, int iMinDistance2, int iMinDistance2To1,
                             int iReferenceIndex2, int iSecondAfterFirst, int& iResultIndex1,
                             OVector& vResult1, double& dAngle1, int& iResultIndex2,
                             OVector& vResult2, double& dAngle2, OType_DrawingContext* pContext,
                             int iLabelMode, int iLabelBase1, int iLabelBase2, bool bGoOn) {
        using namespace transitionsearch;
        const Result firstResult{iResultIndex1, vResult1, dAngle1};
        const Result secondResult{iResultIndex2, vResult2, dAngle2};
        Clear(firstResult, iReferenceIndex1);
        Clear(secondResult, iReferenceIndex2);
        if (pImage == nullptr) {
            return false;
        }
        if constexpr (kIsCircle) {
            if (iReferenceIndex1 >= path.m_iStepCount || iReferenceIndex2 >= path.m_iStepCount) {
                return false;
            }
        }
        Overlay overlay = MakeOverlay(path, pContext);

        EdgeSearch first{iOrdinal1, iPolarity1, iMinDistance1, iMinDistance1To2, iReferenceIndex1};
        EdgeSearch second{iOrdinal2, iPolarity2, iMinDistance2, iMinDistance2To1, iReferenceIndex2};
        StartAtCurrentPosition(path, first, firstResult, bGoOn);
        StartAtCurrentPosition(path, second, secondResult, bGoOn);
        overlay.MoveTo(path.m_vCurrent);

        const bool secondWaitsForFirst = iSecondAfterFirst == kSecondOnlyAfterFirst;
        bool bothDone = first.done && second.done;
        bool wrapped = false;
        TransitionWalk walk(path, pImage);
        const auto onTransition = [&](bool entering) {
            if (!first.done && walk.Counts(first, entering, iResultIndex2)) {
                if (first.count == first.ordinal) {
                    walk.Take(firstResult);
                    first.found = true;
                    first.done = !bGoOn;
                }
                overlay.Mark(walk.m_vLastIn, true, FirstEdgeLabel(iLabelMode, iLabelBase1, first));
                first.reference = walk.m_iLastIn;
            }
            if (!second.done && (!secondWaitsForFirst || first.done) &&
                walk.Counts(second, entering, iResultIndex1)) {
                if (second.count == second.ordinal) {
                    // After the wrap the second lap continues the numbering and the angle of the
                    // first: index + GetCount(), angle + 2 pi.
                    walk.Take(secondResult, wrapped ? path.m_iStepCount : 0,
                              wrapped ? pathangles::kTwoPi : 0.0);
                    second.found = true;
                    second.done = !bGoOn;
                }
                overlay.Mark(walk.m_vLastIn, true,
                             SecondEdgeLabel(iLabelMode, iLabelBase1, iLabelBase2, first, second));
                second.reference = walk.m_iLastIn;
            }
            bothDone = first.done && second.done;
        };
        // One wrap around a full circle, for a second edge beyond the seam once the first edge is
        // done. References still counting in the first lap are moved back by one lap, so that
        // distances across the seam stay right; the first result keeps this reduced index.
        const auto onExhausted = [&]() {
            if constexpr (kIsCircle) {
                if (path.m_bFullCircle && !wrapped && first.done && !second.done) {
                    path.Path::Reset();
                    wrapped = true;
                    const int lap = path.m_iStepCount;
                    if (second.reference > 0) {
                        second.reference = WrapSub32(second.reference, lap);
                    }
                    if (iResultIndex1 > 0) {
                        iResultIndex1 = WrapSub32(iResultIndex1, lap);
                    }
                    return true;
                }
            }
            return false;
        };
        walk.Walk(bothDone, onTransition, onExhausted);
        return first.found && second.found;
    }

  private:
    TransitionWalk(Path& path, const OType_Image* pImage)
        : m_path(path), m_pImage(pImage), m_vLastIn(path.m_vCurrent) {}

    // The N-th qualifying transition (0: the current position), going on to the end or not;
    // qualifying transitions are marked, the k-th labelled base + k.
    static bool Single(Path& path, const OType_Image* pImage, int iOrdinal, int iPolarity,
                       int iMinDistance, int iReferenceIndex, const Result& result,
                       OType_DrawingContext* pContext, int iLabelKind, int iLabelBase, bool bGoOn,
                       bool bTick) {
        using namespace transitionsearch;
        Clear(result, kNotFoundIndex);
        if (pImage == nullptr) {
            return false;
        }
        Overlay overlay = MakeOverlay(path, pContext);
        bool found = false;
        if (iOrdinal == 0) {
            TakeCurrent(path, result);
            found = true;
            if (!bGoOn) {
                return true;
            }
        }
        int reference = iReferenceIndex;
        int count = 0;
        bool stop = false;
        TransitionWalk walk(path, pImage);
        walk.Walk(stop, [&](bool entering) {
            if (!AcceptsPolarity(iPolarity, entering) ||
                !AtLeastAfter(walk.m_iLastIn, reference, iMinDistance)) {
                return;  // ignored: the reference stays
            }
            count = WrapAdd32(count, 1);
            if (count == iOrdinal) {
                walk.Take(result);
                found = true;
                stop = !bGoOn;
            }
            overlay.Mark(walk.m_vLastIn, bTick,
                         LabelForKind(iLabelKind, WrapAdd32(iLabelBase, count)));
            reference = walk.m_iLastIn;
        });
        return found;
    }

    static Overlay MakeOverlay(Path& path, OType_DrawingContext* pContext) {
        if constexpr (kIsCircle) {
            return Overlay(pContext, path.m_vCenter);
        } else {
            return Overlay(pContext, path.m_vNormal, path.m_vDirection, path.m_iTextAngle);
        }
    }

    // One evaluation of the transition function at the current position; an answer in threshold
    // records the position as the last-in index and point.
    bool Evaluate() {
        const bool in =
            m_path.IsInTransitionThresholdAt(m_pImage, m_path.m_iCurrentPos, m_path.m_vCurrent);
        if (in) {
            m_iLastIn = m_path.m_iCurrentPos;
            m_vLastIn = m_path.m_vCurrent;
        }
        return in;
    }

    // The walk: evaluate where the path stands, then raster step and evaluate until `done`, calling
    // onTransition(entering) at every change of the answer. When the path is exhausted,
    // onExhausted() may restart it (answering true), and the walk evaluates where it now stands.
    // The raster step is the class's own, called without the virtual table.
    template <class OnTransition, class OnExhausted>
    void Walk(const bool& done, OnTransition onTransition, OnExhausted onExhausted) {
        bool previous = Evaluate();
        if constexpr (!kIsCircle) {
            if (!done && CanWalkLineInBand()) {
                WalkLineInBand(previous, done, onTransition);
                return;
            }
        }
        while (!done) {
            if (!m_path.Path::MoveNextRaster() && !onExhausted()) {
                return;
            }
            const bool answer = Evaluate();
            if (answer != previous) {
                previous = answer;
                onTransition(answer);
            }
        }
    }
    template <class OnTransition>
    void Walk(const bool& done, OnTransition onTransition) {
        Walk(done, onTransition, [] { return false; });
    }

    // A line under the grey band (type 0) has a faster walk than the raster step and the
    // evaluation one after the other: one loop over local raw coordinates that reads the image's
    // bytes itself. It visits the same positions, gives the same answers and leaves the same
    // last-in records and path state. It is taken while every position left on the line has a
    // pixel floor far inside the int range (where MoveNextRaster compares floors and iX()/iY()
    // need no saturation): steps below 2^31 raw units and both ends below 2^30 pixels.
    static constexpr std::int64_t kFastStepLimit = std::int64_t{1} << 31;
    static constexpr std::int64_t kFastRawLimit = std::int64_t{1} << (30 + fixedpoint::kRawShift);

    static constexpr int kGreyLevels = 256;

    static bool InBand(int grey, int low, int high) {
        return grey >= low && grey <= high;
    }

    static bool WithinFastRange(std::int64_t raw) {
        return raw > -kFastRawLimit && raw < kFastRawLimit;
    }

    bool CanWalkLineInBand() const {
        const OVectorPath_Line& path = m_path;
        if (path.m_iTransitionType != OVectorPath::kTransitionBand ||
            m_pImage->GetData() == nullptr) {
            return false;
        }
        const std::int64_t stepX = path.m_vStep.GetRawX();
        const std::int64_t stepY = path.m_vStep.GetRawY();
        const bool started = path.m_iCurrentPos >= 0;
        const OVector& base = started ? path.m_vCurrent : path.m_vStart;
        const std::int64_t remaining =
            std::int64_t{path.m_iStepCount} - (started ? path.m_iCurrentPos : 0);
        if (stepX <= -kFastStepLimit || stepX >= kFastStepLimit || stepY <= -kFastStepLimit ||
            stepY >= kFastStepLimit || remaining < 0 || !WithinFastRange(base.GetRawX()) ||
            !WithinFastRange(base.GetRawY())) {
            return false;
        }
        return WithinFastRange(base.GetRawX() + remaining * stepX) &&
               WithinFastRange(base.GetRawY() + remaining * stepY);
    }

    template <class OnTransition>
    void WalkLineInBand(bool previous, const bool& done, OnTransition onTransition) {
        using fixedpoint::kRawShift;
        OVectorPath_Line& path = m_path;
        // The band's test as IsInTransitionThreshold(int) makes it (the band has no state), and
        // its answer outside the image, where the grey value is the no-value marker.
        const int low = path.m_iTransitionParam1;
        const int high = path.m_iTransitionParam2;
        const bool outside = path.IsInTransitionThreshold(OVectorPath::kNoValue);
        // The answer for every byte, looked up in the loop (cheaper there than two comparisons).
        bool inBand[kGreyLevels];
        for (int grey = 0; grey < kGreyLevels; ++grey) {
            inBand[grey] = InBand(grey, low, high);
        }
        const std::int64_t stepX = path.m_vStep.GetRawX();
        const std::int64_t stepY = path.m_vStep.GetRawY();
        const int last = path.m_iStepCount;
        const unsigned char* const pixels = m_pImage->GetData();
        const std::ptrdiff_t stride = m_pImage->GetStride();
        const auto width = static_cast<std::uint64_t>(m_pImage->GetWidth());
        const auto height = static_cast<std::uint64_t>(m_pImage->GetHeight());

        int index = path.m_iCurrentPos;
        std::int64_t x = path.m_vCurrent.GetRawX();
        std::int64_t y = path.m_vCurrent.GetRawY();
        // The position evaluated before the current one: the last-in position of a leaving
        // transition. Every position after the first raster step lies a whole number of steps
        // from the current one; a walk from before the start (index -1) had its last-in position
        // recorded by the first evaluation.
        int previousIndex = index;
        const auto recordLastIn = [&](int lastIn) {
            if (lastIn >= 0) {
                m_iLastIn = lastIn;
                const std::int64_t back = index - lastIn;
                m_vLastIn = OVector(x - back * stepX, y - back * stepY);
            }
        };
        const auto publish = [&]() {
            path.m_iCurrentPos = index;
            path.m_vCurrent = OVector(x, y);
        };
        // The answer at a position (the pixel's grey value through the band, or the answer for
        // the no-value marker outside the image), read without a branch.
        const auto answerAt = [&](std::int64_t pixelX, std::int64_t pixelY) {
            const bool inside = static_cast<std::uint64_t>(pixelX) < width &&
                                static_cast<std::uint64_t>(pixelY) < height;
            const std::ptrdiff_t offset = inside ? pixelY * stride + pixelX : 0;
            const bool inImage = inBand[pixels[offset]];
            return inside ? inImage : outside;
        };
        if (index < 0 && index < last) {
            x = path.m_vStart.GetRawX();
            y = path.m_vStart.GetRawY();
            index = 0;
            const bool in = answerAt(x >> kRawShift, y >> kRawShift);
            if (in != previous) {
                previous = in;
                recordLastIn(in ? index : previousIndex);
                publish();
                onTransition(in);
                if (done) {
                    return;
                }
            }
            previousIndex = index;
        }
        // One pass per sub-pixel step. A raster step ends at the first step whose pixel differs
        // from the pixel it started in; every step before it stayed in that pixel, so "the pixel
        // differs from the previous step's" marks exactly the raster positions (and the last
        // index always is one). Each step reads its pixel and keeps the answer only at a raster
        // position, so the loop has no branch that depends on the line's geometry.
        std::int64_t pixelX = x >> kRawShift;
        std::int64_t pixelY = y >> kRawShift;
        while (index < last) {
            x += stepX;
            y += stepY;
            ++index;
            const std::int64_t nextX = x >> kRawShift;
            const std::int64_t nextY = y >> kRawShift;
            const bool raster = (nextX != pixelX) | (nextY != pixelY) | (index == last);
            pixelX = nextX;
            pixelY = nextY;
            const bool answer = answerAt(nextX, nextY);
            const bool in = raster ? answer : previous;
            if (in != previous) {
                previous = in;
                recordLastIn(in ? index : previousIndex);
                publish();
                onTransition(in);
                if (done) {
                    return;
                }
            }
            previousIndex = raster ? index : previousIndex;
        }
        if (previous) {
            recordLastIn(index);
        }
        publish();
    }

    // Ordinal 0 takes the position where the path stands; the edge search is then done unless
    // it goes on to mark the edges after it.
    static void StartAtCurrentPosition(Path& path, EdgeSearch& edge, const Result& result,
                                       bool bGoOn) {
        if (edge.ordinal == 0) {
            TakeCurrent(path, result);
            edge.found = true;
            edge.done = !bGoOn;
        }
    }

    // Polarity and both distance tests of one edge search; a transition that passes is counted.
    bool Counts(EdgeSearch& edge, bool entering, int otherResultIndex) const {
        using namespace transitionsearch;
        if (!AcceptsPolarity(edge.polarity, entering) ||
            !AtLeastAfter(m_iLastIn, edge.reference, edge.minDistance) ||
            !AtLeastAfter(m_iLastIn, otherResultIndex, edge.minDistanceToOther)) {
            return false;
        }
        edge.count = transitionsearch::WrapAdd32(edge.count, 1);
        return true;
    }

    static std::optional<transitionsearch::Label> FirstEdgeLabel(int mode, int base,
                                                                 const EdgeSearch& first) {
        using namespace transitionsearch;
        const bool plain = mode == kPairLabelOwnCounts || mode == kPairLabelFirstCount;
        return Label{plain ? LabelFormat::Plain : LabelFormat::Start, WrapAdd32(base, first.count),
                     LabelEdge::First};
    }
    static std::optional<transitionsearch::Label> SecondEdgeLabel(int mode, int base1, int base2,
                                                                  const EdgeSearch& first,
                                                                  const EdgeSearch& second) {
        using namespace transitionsearch;
        if (mode == kPairLabelFirstCount) {
            return Label{LabelFormat::Plain, WrapAdd32(base1, first.count), LabelEdge::Second};
        }
        return Label{mode == kPairLabelOwnCounts ? LabelFormat::Plain : LabelFormat::End,
                     WrapAdd32(base2, second.count), LabelEdge::Second};
    }

    // Results: the not-found values, the current position, or the last-in position.
    static void Clear(const Result& result, int index) {
        result.point = OVector(OVectorPath::kNoValue, OVectorPath::kNoValue);
        if constexpr (kIsCircle) {
            result.angle = 0.0;
        }
        result.index = index;
    }
    static void TakeCurrent(Path& path, const Result& result) {
        result.index = path.m_iCurrentPos;
        result.point = path.m_vCurrent;
        TakeAngle(path, result, 0.0);
    }
    void Take(const Result& result, int indexOffset = 0, double angleOffset = 0.0) const {
        result.point = m_vLastIn;
        result.index = transitionsearch::WrapAdd32(m_iLastIn, indexOffset);
        TakeAngle(m_path, result, angleOffset);
    }
    // A circle's angle where the change was seen: its current angle, widened to double.
    static void TakeAngle(Path& path, const Result& result, double offset) {
        if constexpr (kIsCircle) {
            double angle = 0.0;
            path.Path::CurrentAngle_Rad(angle);
            result.angle = angle + offset;
        }
    }

    Path& m_path;
    const OType_Image* m_pImage;
    int m_iLastIn = transitionsearch::kNoLastIn;
    OVector m_vLastIn;
};

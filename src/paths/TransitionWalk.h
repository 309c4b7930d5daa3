#pragma once
// TransitionWalk: the one walk behind the transition searches of every path kind. Internal: only
// TransitionSearch.cpp includes it; no public header does.
//
// A search walks its path from wherever the path stands, in raster steps (one position per image
// pixel), and evaluates the transition function once per position. A change of the answer between
// two consecutive evaluations is a transition: entering (out, then in) or leaving (in, then out). A
// transition is reported at the last-in position, the most recent position that answered in
// threshold: for an entering transition the first position inside, for a leaving one the last
// position inside before the change. The path is left where the deciding change was seen.
//
// How the walk reaches the path is decided once per search, by the path's dynamic type
// (SearchPath below):
//   - a path whose class is exactly the library's own (DirectReach) is walked with that
//     class's own raster step and reset, called without the virtual table, and evaluated with
//     IsInTransitionThresholdAt on its index and point fields: the fast walk;
//   - a path of a class derived from it (VirtualReach) is walked through the virtual
//     interface, MoveNextRaster, Reset, GetCount, CurrentPos, CurrentVector and CurrentAngle_Rad,
//     and evaluated as IsInTransitionThreshold(image) evaluates (IsInTransitionThresholdOf, the
//     image borrowed, not shared per position), so that the derived class's overrides decide what
//     the search sees.
// Both give the same answers for the library's own classes.
//
// The three searches are written once, as static members of TransitionWalk<Path, Reach>, for the
// three path classes; what differs between them is chosen at compile time:
//   - the angle result: the line never writes it, a circle writes its current angle at the
//     position where the change was seen;
//   - the overlay geometry: LineOverlay or CircleOverlay (TransitionOverlay.h);
//   - the full-circle wrap of the pair search, circles only;
//   - a line under the grey band walks with LineBandWalk, and a circle reached directly with
//     CircleWalk (steps and evaluations in one loop), which give the same answers faster.
//
// The argument codes and the tests against them are in TransitionArguments.h.

#include <memory>
#include <optional>
#include <type_traits>
#include <typeinfo>

#include "paths/CircleArc.h"
#include "paths/CircleWalk.h"
#include "paths/LineBandWalk.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "paths/PathAngles.h"
#include "paths/TransitionArguments.h"
#include "paths/TransitionOverlay.h"

// How a search reaches its path: the class's own members, or the virtual interface.
struct DirectReach {};
struct VirtualReach {};

template <class Path, class Reach>
class TransitionWalk {
    static_assert(std::is_same_v<Reach, DirectReach> || std::is_same_v<Reach, VirtualReach>,
                  "a path is reached directly or through the virtual interface");
    static constexpr bool kDirect = std::is_same_v<Reach, DirectReach>;
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
    static bool FindNext(Path& path, const std::shared_ptr<OType_Image>& image, int iPolarity,
                         int iMinDistance, int iReferenceIndex, int& iResultIndex, OVector& vResult,
                         double& dAngle, OType_DrawingContext* pContext, int iLabelKind,
                         int iLabelNumber) {
        constexpr int kFirst = 1;
        constexpr bool kStopThere = false;
        constexpr bool kAlwaysTick = true;
        return Single(path, image, kFirst, iPolarity, iMinDistance, iReferenceIndex,
                      Result{iResultIndex, vResult, dAngle}, pContext, iLabelKind, iLabelNumber,
                      kStopThere, kAlwaysTick);
    }

    static bool FindNextSingle(Path& path, const std::shared_ptr<OType_Image>& image, int iOrdinal,
                               int iPolarity, int iMinDistance, int iReferenceIndex,
                               int& iResultIndex, OVector& vResult, double& dAngle,
                               OType_DrawingContext* pContext, int iLabelKind, int iLabelBase,
                               bool bGoOn) {
        const bool tick =
            iLabelKind != OVectorPath::kLabelKindNone || Overlay::kSilentKindDrawsTick;
        return Single(path, image, iOrdinal, iPolarity, iMinDistance, iReferenceIndex,
                      Result{iResultIndex, vResult, dAngle}, pContext, iLabelKind, iLabelBase,
                      bGoOn, tick);
    }

    static bool FindNextPair(Path& path, const std::shared_ptr<OType_Image>& image, int iOrdinal1,
                             int iPolarity1, int iMinDistance1, int iMinDistance1To2,
                             int iReferenceIndex1, int iOrdinal2, int iPolarity2, int iMinDistance2,
                             int iMinDistance2To1, int iReferenceIndex2, int iSecondAfterFirst,
                             int& iResultIndex1, OVector& vResult1, double& dAngle1,
                             int& iResultIndex2, OVector& vResult2, double& dAngle2,
                             OType_DrawingContext* pContext, int iLabelMode, int iLabelBase1,
                             int iLabelBase2, bool bGoOn) {
        using namespace transitionsearch;
        const Result firstResult{iResultIndex1, vResult1, dAngle1};
        const Result secondResult{iResultIndex2, vResult2, dAngle2};
        Clear(firstResult, iReferenceIndex1);
        Clear(secondResult, iReferenceIndex2);
        if (!image) {
            return false;
        }
        if constexpr (kIsCircle) {
            const int count = Count(path);
            if (iReferenceIndex1 >= count || iReferenceIndex2 >= count) {
                return false;
            }
        }
        Overlay overlay = MakeOverlay(path, pContext);

        EdgeSearch first{iOrdinal1, iPolarity1, iMinDistance1, iMinDistance1To2, iReferenceIndex1};
        EdgeSearch second{iOrdinal2, iPolarity2, iMinDistance2, iMinDistance2To1, iReferenceIndex2};
        StartAtCurrentPosition(path, first, firstResult, bGoOn);
        StartAtCurrentPosition(path, second, secondResult, bGoOn);
        overlay.MoveTo(Point(path));

        const bool secondWaitsForFirst = iSecondAfterFirst == OVectorPath::kSecondAfterFirst;
        bool bothDone = first.done && second.done;
        bool wrapped = false;
        TransitionWalk walk(path, image);
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
                    walk.Take(secondResult, wrapped ? Count(path) : 0,
                              wrapped ? angles::kTwoPi : 0.0);
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
                    Restart(path);
                    wrapped = true;
                    const int lap = Count(path);
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
    TransitionWalk(Path& path, const std::shared_ptr<OType_Image>& image)
        : m_path(path),
          m_image(image),
          m_bBand(path.m_iTransitionType == OVectorPath::kTransitionBand),
          m_vLastIn(Point(path)) {}

    // What the walk asks of the path, directly or through the virtual interface.
    static bool StepRaster(Path& path) {
        if constexpr (kDirect) {
            return path.Path::MoveNextRaster();
        } else {
            return path.MoveNextRaster();
        }
    }
    static void Restart(Path& path) {
        if constexpr (kDirect) {
            path.Path::Reset();
        } else {
            path.Reset();
        }
    }
    static int Count(Path& path) {
        if constexpr (kDirect) {
            return path.m_iStepCount;
        } else {
            return path.GetCount();
        }
    }
    static int Position(Path& path) {
        if constexpr (kDirect) {
            return path.m_iCurrentPos;
        } else {
            int index = transitionsearch::kNotFoundIndex;
            path.CurrentPos(index);
            return index;
        }
    }
    static OVector Point(Path& path) {
        if constexpr (kDirect) {
            return path.m_vCurrent;
        } else {
            OVector point;
            path.CurrentVector(point);
            return point;
        }
    }
    // A circle's current angle, widened to double.
    static double Angle(Path& path) {
        double angle = 0.0;
        if constexpr (kDirect) {
            path.Path::CurrentAngle_Rad(angle);
        } else {
            path.CurrentAngle_Rad(angle);
        }
        return angle;
    }

    // The N-th qualifying transition (0: the current position), going on to the end or not;
    // qualifying transitions are marked, the k-th labelled base + k.
    static bool Single(Path& path, const std::shared_ptr<OType_Image>& image, int iOrdinal,
                       int iPolarity, int iMinDistance, int iReferenceIndex, const Result& result,
                       OType_DrawingContext* pContext, int iLabelKind, int iLabelBase, bool bGoOn,
                       bool bTick) {
        using namespace transitionsearch;
        Clear(result, kNotFoundIndex);
        if (!image) {
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
        TransitionWalk walk(path, image);
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
    // records the position as the last-in index and point. Reached directly, the grey band (no
    // state) is tested here as IsInTransitionThresholdAt tests it, the other types there.
    bool Evaluate() {
        bool in = false;
        if constexpr (kDirect) {
            in = m_bBand ? InBand(m_image->GetPixel_Grey(m_path.m_vCurrent))
                         : m_path.IsInTransitionThresholdAt(m_image.get(), m_path.m_iCurrentPos,
                                                            m_path.m_vCurrent);
        } else {
            in = m_path.IsInTransitionThresholdOf(m_image.get());
        }
        if (in) {
            m_iLastIn = Position(m_path);
            m_vLastIn = Point(m_path);
        }
        return in;
    }

    // The walk: evaluate where the path stands, then raster step and evaluate until `done`, calling
    // onTransition(entering) at every change of the answer. When the path is exhausted,
    // onExhausted() may restart it (answering true), and the walk evaluates where it now stands.
    //
    // A circle reached directly makes its single steps itself: in range in the one loop of
    // CircleWalk, else the arc's raster step with its own single steps.
    template <class OnTransition, class OnExhausted>
    void Walk(const bool& done, OnTransition onTransition, OnExhausted onExhausted) {
        const bool first = Evaluate();
        if constexpr (kDirect && kIsCircle) {
            auto arc = m_path.Arc();
            if (CircleWalk<typename decltype(arc)::RealType>::Applies(arc)) {
                WalkCircle(arc, first, done, onTransition, onExhausted);
            } else {
                Steps(
                    first, done, [&arc] { return arc.MoveNextRasterOwnSteps(); }, onTransition,
                    onExhausted);
            }
            return;
        }
        if constexpr (kDirect && !kIsCircle) {
            if (!done && LineBandWalk::Applies(m_path, *m_image)) {
                LineBandWalk(m_path, *m_image, m_iLastIn, m_vLastIn)
                    .Walk(first, done, onTransition);
                return;
            }
        }
        Steps(
            first, done, [this] { return StepRaster(m_path); }, onTransition, onExhausted);
    }

    // Raster steps by step() and evaluations until `done`, from a position whose answer was
    // `previous`.
    template <class Step, class OnTransition, class OnExhausted>
    void Steps(bool previous, const bool& done, Step step, OnTransition onTransition,
               OnExhausted onExhausted) {
        while (!done) {
            if (!step() && !onExhausted()) {
                return;
            }
            const bool answer = Evaluate();
            if (answer != previous) {
                previous = answer;
                onTransition(answer);
            }
        }
    }

    bool InBand(int grey) const {
        return grey >= m_path.m_iTransitionParam1 && grey <= m_path.m_iTransitionParam2;
    }

    // The walk of CircleWalk, with the grey band tested in the loop.
    template <class Arc, class OnTransition, class OnExhausted>
    void WalkCircle(Arc& arc, bool first, const bool& done, OnTransition onTransition,
                    OnExhausted onExhausted) {
        CircleWalk<typename Arc::RealType> walk(arc, m_iLastIn, m_vLastIn);
        if (m_bBand) {
            const PixelGrey grey(*m_image);
            walk.Walk(
                first, done,
                [this, &grey](int, std::int64_t x, std::int64_t y) { return InBand(grey(x, y)); },
                onTransition, onExhausted);
        } else {
            walk.Walk(
                first, done,
                [this](int index, std::int64_t x, std::int64_t y) {
                    return m_path.IsInTransitionThresholdAt(m_image.get(), index, OVector(x, y));
                },
                onTransition, onExhausted);
        }
    }

    // The grey value at a raw position whose pixel lies in the int range, as GetPixel_Grey finds
    // it: the no-value marker outside the image.
    class PixelGrey {
      public:
        explicit PixelGrey(const OType_Image& image)
            : m_pixels(image.GetData()),
              m_stride(image.GetStride()),
              m_width(static_cast<std::uint64_t>(image.GetWidth())),
              m_height(static_cast<std::uint64_t>(image.GetHeight())) {}

        int operator()(std::int64_t rawX, std::int64_t rawY) const {
            const std::int64_t x = fixedpoint::FloorPixel(rawX);
            const std::int64_t y = fixedpoint::FloorPixel(rawY);
            if (static_cast<std::uint64_t>(x) >= m_width ||
                static_cast<std::uint64_t>(y) >= m_height) {
                return OType_Image::kNoValue;
            }
            return m_pixels[y * m_stride + x];
        }

      private:
        const unsigned char* m_pixels;
        std::ptrdiff_t m_stride;
        std::uint64_t m_width;
        std::uint64_t m_height;
    };
    template <class OnTransition>
    void Walk(const bool& done, OnTransition onTransition) {
        Walk(done, onTransition, [] { return false; });
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
        const bool plain =
            mode == OVectorPath::kPairLabelOwnCounts || mode == OVectorPath::kPairLabelFirstCount;
        return Label{plain ? LabelFormat::Plain : LabelFormat::Start, WrapAdd32(base, first.count),
                     LabelEdge::First};
    }
    static std::optional<transitionsearch::Label> SecondEdgeLabel(int mode, int base1, int base2,
                                                                  const EdgeSearch& first,
                                                                  const EdgeSearch& second) {
        using namespace transitionsearch;
        if (mode == OVectorPath::kPairLabelFirstCount) {
            return Label{LabelFormat::Plain, WrapAdd32(base1, first.count), LabelEdge::Second};
        }
        return Label{
            mode == OVectorPath::kPairLabelOwnCounts ? LabelFormat::Plain : LabelFormat::End,
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
        result.index = Position(path);
        result.point = Point(path);
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
            result.angle = Angle(path) + offset;
        }
    }

    Path& m_path;
    const std::shared_ptr<OType_Image>& m_image;
    bool m_bBand;
    int m_iLastIn = transitionsearch::kNoLastIn;
    OVector m_vLastIn;
};

// The walk type of one search, handed to the search by SearchPath.
template <class Walk>
struct WalkTag {
    using type = Walk;
};

// Runs a search with the walk that fits the path's dynamic type, decided once per call: `search`
// is called with WalkTag<TransitionWalk<Path, DirectReach>> for an object of exactly the class
// Path, and with WalkTag<TransitionWalk<Path, VirtualReach>> for an object of a class derived
// from it.
template <class Path, class Search>
bool SearchPath(Path& path, Search search) {
    if (typeid(path) == typeid(Path)) {
        return search(WalkTag<TransitionWalk<Path, DirectReach>>{});
    }
    return search(WalkTag<TransitionWalk<Path, VirtualReach>>{});
}

#pragma once
// EdgeSearch: the transition searches of one measurement on its paths, with the optional
// sub-pixel refinement of every edge found.
//
// - first: the first qualifying transition (FindNextTransition).
// - nth:   the n-th qualifying transition (FindNextTransitionSingle).
// - all:   every qualifying transition, by FindNextTransition called again and again; the minimum
//          distance applies from the path start and between consecutive edges.
// - pair:  a first and a second edge at once (FindNextTransitionPair); its distance is taken
//          between the refined points where both refinements succeeded, else between the points
//          of the search. The two edges are never the same transition: searched one after the
//          other, the second lies at least one step after the first; searched independently, a
//          pair of one edge found twice is no pair.
// No search lists an edge twice (a full circle's search stops where it meets an edge again).
// Each search starts from the beginning of its path. With a drawing context the library draws
// its ticks and labels (numbers 1, 2, ...; "S1"/"E1" for a pair), as the label kind says.
// Refinement (OSubpixelCalculation, method 1) may fail for an edge closer than three steps to an
// end of its path or next to the image border; that edge keeps its search point and reports no
// sub-pixel result.
//
//   SearchSettings settings{image, &context, true, kLabelNumbers};
//   std::vector<EdgeRecord> edges = SearchEdges(*path, 0, setup.search, settings);

#include <memory>
#include <optional>
#include <vector>

#include "foundation/OType_DrawingContext.h"
#include "foundation/OType_Image.h"
#include "job/Job.h"
#include "job/Results.h"
#include "paths/OVectorPath.h"

// Label kinds of the single-edge searches: numbers, or ticks without labels (for layouts of many
// paths, where numbers on every path would hide the image).
constexpr int kLabelNumbers = OVectorPath::kLabelKindNumber;
constexpr int kLabelNone = OVectorPath::kLabelKindTickOnly;

struct SearchSettings {
    std::shared_ptr<OType_Image> image;
    OType_DrawingContext* context = nullptr;  // null: nothing drawn
    bool subpixel = true;
    int labelKind = kLabelNumbers;
};

// Sets the path's transition function; false when the library refuses the parameters.
bool PrepareTransition(OVectorPath& path, const TransitionSetup& transition,
                       const std::shared_ptr<OType_Image>& image);

// The edges of a first, nth or all search (empty when none qualifies).
std::vector<EdgeRecord> SearchEdges(OVectorPath& path, int pathNumber, const SearchSetup& search,
                                    const SearchSettings& settings);

// The pair of a pair search, or nothing when either edge is missing.
std::optional<PairRecord> SearchPair(OVectorPath& path, const SearchSetup& search,
                                     const SearchSettings& settings);

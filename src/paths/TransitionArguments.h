#pragma once
// TransitionArguments: the codes that the transition searches take as int arguments, and the
// tests a transition must pass against them. Internal to the searches.
//
// Indices, reference indices, minimum distances and label numbers are 32-bit ints. Distances are
// the signed 32-bit difference last-in index - reference, computed with wrap-around, so that any
// caller value (INT_MIN, INT_MAX) gives a defined, if meaningless, answer.

#include <cstdint>

#include "paths/OVectorPath.h"

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

}  // namespace transitionsearch

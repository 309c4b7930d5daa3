#pragma once
// TransitionArguments: the tests a transition must pass against the searches' int arguments (the
// codes themselves are named in OVectorPath.h), and the searches' own marker values. Internal to
// the searches.
//
// Indices, reference indices, minimum distances and label numbers are 32-bit ints. Distances are
// the signed 32-bit difference last-in index - reference, computed with wrap-around, so that any
// caller value (INT_MIN, INT_MAX) gives a defined, if meaningless, answer.

#include <cstdint>

#include "paths/OVectorPath.h"

namespace transitionsearch {

// The index result of FindNextTransition and FindNextTransitionSingle when nothing was found.
constexpr int kNotFoundIndex = -1;
// The last-in index before any position answered in threshold.
constexpr int kNoLastIn = OVectorPath::kNoValue;

// Signed 32-bit sum and difference with wrap-around (defined for every input).
constexpr int WrapAdd32(int a, int b) {
    return static_cast<int>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
constexpr int WrapSub32(int a, int b) {
    return static_cast<int>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

// Whether a polarity code accepts a transition of the given kind.
constexpr bool AcceptsPolarity(int polarity, bool entering) {
    return polarity == OVectorPath::kPolarityAny ||
           (polarity == OVectorPath::kPolarityEntering && entering) ||
           (polarity == OVectorPath::kPolarityLeaving && !entering);
}

// Whether `index` lies at least `minimum` after `reference`, as a wrapped 32-bit difference.
constexpr bool AtLeastAfter(int index, int reference, int minimum) {
    return WrapSub32(index, reference) >= minimum;
}

}  // namespace transitionsearch

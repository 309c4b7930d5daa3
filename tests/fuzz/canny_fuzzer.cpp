// Fuzz target: OCannyEdge::bFindCannyEdgeTransitions on arbitrary profiles, thresholds, kernel
// rows and flags.
//
// Input: threshold, kernel row, the magnitude flag, then profile samples until the bytes run out:
// a selector byte, then the no-value marker, a grey byte or any int. Rules that hold for every
// input:
// - an empty profile answers false with an empty result; any other answers true;
// - the result has one value per sample for the kernel rows 0..12, one per marker otherwise;
// - flag false: a level 0 or 1 or an edge magnitude in max(threshold, 1)..255; flag true: 0..255;
//   marker samples (rows 0..12) hold a level (flag false) or 0 (flag true);
// - only the low byte of a grey value counts, and a threshold below 1 acts as 1.

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

#include "FuzzInput.h"
#include "edge/OCannyEdge.h"

namespace {

constexpr int kMarker = INT_MIN;
constexpr int kLastKernelRow = 12;
constexpr int kMaxMagnitude = 255;
// Long enough for many segments and edges, short enough for thousands of runs a second.
constexpr std::size_t kMaxProfileLength = 4096;

// The answer and the result values.
std::pair<bool, std::vector<int>> Transitions(const std::vector<int>& profile, int threshold,
                                              int row, bool magnitudes) {
    WritableCollection<int> input;
    for (const int value : profile) {
        input.Add(value);
    }
    WritableCollection<int> result;
    result.Add(kMarker);  // a result that already holds a value: the call must clear it
    const bool answer =
        OCannyEdge::bFindCannyEdgeTransitions(input, threshold, row, result, magnitudes);
    return {answer, std::vector<int>(result.begin(), result.end())};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const int threshold = input.Int();
    const int row = input.Int();
    const bool magnitudes = input.Bool();
    std::vector<int> profile;
    while (input.Remaining() > 0 && profile.size() < kMaxProfileLength) {
        const int kind = input.U8() % 8;
        profile.push_back(kind < 2 ? kMarker : kind == 7 ? input.Int() : input.U8());
    }

    const auto outcome = Transitions(profile, threshold, row, magnitudes);
    const auto& [answer, result] = outcome;
    FuzzRequire(answer == !profile.empty(), "only an empty profile answers false");
    const bool validRow = row >= 0 && row <= kLastKernelRow;
    const std::size_t markers = std::count(profile.begin(), profile.end(), kMarker);
    FuzzRequire(result.size() == (validRow ? profile.size() : markers), "wrong result length");

    const int strongest = std::max(threshold, 1);
    for (std::size_t k = 0; k < result.size(); ++k) {
        const int value = result[k];
        const bool level = value == 0 || (!magnitudes && value == 1);
        FuzzRequire(level || (value >= (magnitudes ? 0 : strongest) && value <= kMaxMagnitude),
                    "value neither a level nor an edge magnitude");
        FuzzRequire(!validRow || profile[k] != kMarker || level,
                    "a marker holds more than a level");
    }

    std::vector<int> lowBytes(profile.size());
    std::transform(profile.begin(), profile.end(), lowBytes.begin(),
                   [](int value) { return value == kMarker ? value : value & 0xFF; });
    FuzzRequire(Transitions(lowBytes, strongest, row, magnitudes) == outcome,
                "low bytes or a raised threshold change the result");
    return 0;
}

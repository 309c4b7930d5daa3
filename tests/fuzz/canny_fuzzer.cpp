// Fuzz target: OCannyEdge::bFindCannyEdgeTransitions on arbitrary profiles, thresholds, kernel
// rows and flags.
//
// Input: threshold (FuzzInput::AnyInt), a byte choosing the kernel row from -1..13 or from any
// int, the magnitude flag, then profile samples until the bytes run out, each a selector byte
// followed by its value: the no-value marker, a grey byte, or any int.
//
// Rules that hold for every input:
// - an empty profile answers false with an empty result; any other profile answers true;
// - the result has one value per profile sample for the kernel rows 0..12, and one per marker
//   (the zeros of the marker runs) for any other row;
// - flag false: every value is a level 0 or 1 or an edge magnitude in max(threshold, 1)..255;
//   flag true: every value lies in 0..255;
// - marker samples (rows 0..12) hold a level 0 or 1 (flag false) or 0 (flag true);
// - only the low byte of a grey value counts, and a threshold below 1 acts as 1: the profile
//   reduced to its low bytes, and the threshold raised to 1, give the same result.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzInput.h"
#include "edge/OCannyEdge.h"

namespace {

constexpr int kMarker = INT_MIN;
constexpr int kFirstKernelRow = 0;
constexpr int kLastKernelRow = 12;
constexpr int kMaxMagnitude = 255;
// Long enough for many segments and edges, short enough for thousands of runs a second.
constexpr std::size_t kMaxProfileLength = 4096;

std::vector<int> Values(const WritableCollection<int>& collection) {
    const int* data = collection.GetData();
    return data != nullptr ? std::vector<int>(data, data + collection.GetCount())
                           : std::vector<int>();
}

WritableCollection<int> CollectionOf(const std::vector<int>& values) {
    WritableCollection<int> collection;
    for (const int value : values) {
        collection.Add(value);
    }
    return collection;
}

std::vector<int> Transitions(const std::vector<int>& profile, int threshold, int row,
                             bool keepMagnitudes, bool& answer) {
    WritableCollection<int> input = CollectionOf(profile);
    // A result that already holds values: the call must clear it first.
    WritableCollection<int> result = CollectionOf({7, -1, kMarker});
    answer = OCannyEdge::bFindCannyEdgeTransitions(input, threshold, row, result, keepMagnitudes);
    FUZZ_REQUIRE(Values(input) == profile, "the profile changed");
    return Values(result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const int threshold = input.AnyInt();
    const int row = input.Bool() ? input.IntInRange(-1, kLastKernelRow + 1) : input.AnyInt();
    const bool keepMagnitudes = input.Bool();
    std::vector<int> profile;
    while (input.Remaining() > 0 && profile.size() < kMaxProfileLength) {
        switch (input.U8() % 8) {
            case 0:
            case 1:
                profile.push_back(kMarker);
                break;
            case 7:
                profile.push_back(input.AnyInt());
                break;
            default:
                profile.push_back(input.U8());
                break;
        }
    }

    bool answer = false;
    const std::vector<int> result = Transitions(profile, threshold, row, keepMagnitudes, answer);
    if (profile.empty()) {
        FUZZ_REQUIRE(!answer && result.empty(), "an empty profile must answer false, empty");
        return 0;
    }
    FUZZ_REQUIRE(answer, "a non-empty profile must answer true");

    const bool validRow = row >= kFirstKernelRow && row <= kLastKernelRow;
    const auto markers =
        static_cast<std::size_t>(std::count(profile.begin(), profile.end(), kMarker));
    FUZZ_REQUIRE(result.size() == (validRow ? profile.size() : markers), "wrong result length");

    const int strongest = std::max(threshold, 1);
    for (std::size_t k = 0; k < result.size(); ++k) {
        const int value = result[k];
        if (keepMagnitudes) {
            FUZZ_REQUIRE(value >= 0 && value <= kMaxMagnitude, "magnitude outside 0..255");
        } else {
            FUZZ_REQUIRE(value == 0 || value == 1 || (value >= strongest && value <= kMaxMagnitude),
                         "value neither a level nor an edge magnitude");
        }
        if (validRow && profile[k] == kMarker) {
            FUZZ_REQUIRE(value == 0 || (!keepMagnitudes && value == 1),
                         "a marker sample holds more than a level");
        }
    }

    std::vector<int> lowBytes = profile;
    for (int& value : lowBytes) {
        if (value != kMarker) {
            value &= 0xFF;
        }
    }
    bool again = false;
    FUZZ_REQUIRE(Transitions(lowBytes, strongest, row, keepMagnitudes, again) == result && again,
                 "low bytes or a raised threshold change the result");
    return 0;
}

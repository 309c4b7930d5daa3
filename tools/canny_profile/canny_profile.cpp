// canny_profile: prints a built-in grey profile and its transition function.
//
// The profile has 40 samples: a dark stretch, a rise to a bright plateau, a gap of missing
// samples (as where a path leaves the image), and a fall back to dark. For every sample the
// table shows the grey value, the gradient magnitude and the transition function, where the
// level 1 marks the dark side of an edge and the peak sample of each edge carries its gradient.
//
//   canny_profile

#include <climits>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "edge/OCannyEdge.h"

namespace {

constexpr int kMissing = INT_MIN;  // no grey value
constexpr int kThreshold = 20;     // least gradient of an edge
constexpr int kSigmaIndex = 2;     // smoothing kernel row for sigma 1.0

std::vector<int> BuiltInProfile() {
    std::vector<int> profile;
    const auto append = [&profile](int value, int count) {
        profile.insert(profile.end(), static_cast<std::size_t>(count), value);
    };
    append(30, 8);                                  // dark
    profile.insert(profile.end(), {60, 120, 180});  // a rising edge over three samples
    append(210, 9);                                 // bright
    append(kMissing, 5);                            // a gap of missing samples
    append(205, 6);                                 // bright again after the gap
    profile.insert(profile.end(), {140, 70});       // a falling edge
    append(25, 7);                                  // dark
    return profile;
}

bool Detect(const std::vector<int>& values, bool keepMagnitudes, WritableCollection<int>& result) {
    WritableCollection<int> profile;
    for (int v : values) {
        profile.Add(v);
    }
    return OCannyEdge::bFindCannyEdgeTransitions(profile, kThreshold, kSigmaIndex, result,
                                                 keepMagnitudes);
}

}  // namespace

int main() {
    const std::vector<int> profile = BuiltInProfile();
    WritableCollection<int> transitions;
    WritableCollection<int> gradients;
    if (!Detect(profile, false, transitions) || !Detect(profile, true, gradients)) {
        std::fprintf(stderr, "canny_profile: the detector found no transitions\n");
        return 1;
    }

    std::printf("Canny transition function (threshold %d, sigma 1.0)\n\n", kThreshold);
    std::printf(
        "Transition: 1 on the dark side of an edge, 0 on the bright side, the gradient\n"
        "magnitude at the peak sample of each edge.\n\n");
    std::printf("index  grey  gradient  transition\n");
    for (std::size_t i = 0; i < profile.size(); ++i) {
        const auto k = static_cast<std::int64_t>(i);
        const int transition = transitions.GetAt(k);
        const char* note = transition >= kThreshold ? "  <- edge" : "";
        if (profile[i] == kMissing) {
            std::printf("%5zu     -  %8d  %10d  (missing)\n", i, gradients.GetAt(k), transition);
        } else {
            std::printf("%5zu  %4d  %8d  %10d%s\n", i, profile[i], gradients.GetAt(k), transition,
                        note);
        }
    }
    return 0;
}

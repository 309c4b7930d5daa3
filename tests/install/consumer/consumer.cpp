// Uses the installed headers and library: a line across a step edge finds the edge. Built as
// C++20, through the CMake package and through pkg-config: neither may lower the standard.
#include <EdgeDetection.h>

#include <cstdio>
#include <memory>

static_assert(__cplusplus >= 202002L, "the installed package changed the consumer's C++ standard");

int main() {
    auto image = std::make_shared<OType_Image>(20, 3);
    for (int x = 10; x < 20; ++x) {
        for (int y = 0; y < 3; ++y) {
            image->SetPixel_Grey(x, y, 200);
        }
    }
    OVectorPath_Line line(OVector(0.5, 1.5), OVector(19.5, 1.5));
    WritableCollection<int> profile;
    for (int x = 0; x < 20; ++x) {
        profile.Add(image->GetPixel_Grey(x, 1));
    }
    WritableCollection<int> transitions;
    if (!OCannyEdge::bFindCannyEdgeTransitions(profile, 10, 2, transitions) ||
        transitions.GetCount() != profile.GetCount() || line.GetCount() != 19) {
        std::puts("consumer: unexpected result");
        return 1;
    }
    std::puts("consumer: ok");
    return 0;
}

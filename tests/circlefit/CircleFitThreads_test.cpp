// Fits on several threads at once: correct results, and (built with ThreadSanitizer) no data
// race on the shared random generator.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "CirclePoints.h"
#include "circlefit/OCircleFit.h"

namespace {

using namespace circletest;  // point sets built from their definition

// Pixels: how close every fit of exact points must come to its circle.
constexpr double kTolerance = 1e-6;
constexpr int kThreads = 4;
constexpr int kRounds = 200;

OCircleFit_Circle GuessNear(const TrueCircle& c) {
    return OCircleFit_Circle(c.x + 1.0, c.y - 1.0, c.r + 0.5, kLargeSigma, 0);
}

// Each thread fits two circles per round: one whose fit never needs the generator and must
// equal the single-threaded result bit for bit, and one centred on the origin of the working
// frame (the caller's (0, -0.9)), whose fit draws random frame shifts and must still converge.
// Between the fits it draws, reseeds and resets the generator.
TEST(CircleFitThreads, ConcurrentFitsAgreeWithSingleThreadedOnes) {
    std::vector<OCircleFit_Circle> expected;
    auto plainCircle = [](int t) { return TrueCircle{50.0 + 20 * t, 40.0 - 5 * t, 15.0 + 3 * t}; };
    for (int t = 0; t < kThreads; ++t) {
        PointLists points(64);
        AddArc(points, plainCircle(t), 0.0, 360.0, 64);
        expected.push_back(OCircleFit::CircleFit({points.x, points.y}, GuessNear(plainCircle(t))));
    }
    std::atomic<int> failures{0};
    auto work = [&](int t) {
        const TrueCircle shifting{0.0, -0.9, 12.0 + 4.0 * t};
        PointLists plainPoints(64);
        AddArc(plainPoints, plainCircle(t), 0.0, 360.0, 64);
        PointLists shiftingPoints(64);
        AddArc(shiftingPoints, shifting, 0.0, 360.0, 64);
        for (int round = 0; round < kRounds; ++round) {
            const OCircleFit_Circle plain =
                OCircleFit::CircleFit({plainPoints.x, plainPoints.y}, GuessNear(plainCircle(t)));
            const OCircleFit_Circle& want = expected[static_cast<std::size_t>(t)];
            failures += plain.m_dCenterX != want.m_dCenterX || plain.m_dRadius != want.m_dRadius ||
                        plain.m_iIterations != want.m_iIterations;
            const OCircleFit_Circle fit =
                OCircleFit::CircleFit({shiftingPoints.x, shiftingPoints.y}, GuessNear(shifting));
            failures += std::fabs(fit.m_dCenterY - shifting.y) > kTolerance ||
                        std::fabs(fit.m_dRadius - shifting.r) > kTolerance;
            failures += OCircleFit::MT19937() > 1.0;
            if (round % 5 == 0) {
                OCircleFit reset;
                OCircleFit::MT19937_Seed(static_cast<unsigned>(round));
            }
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back(work, t);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0) << "fits that differed from the expected circle";
}

}  // namespace

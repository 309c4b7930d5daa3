// Fits on several threads at once: correct results, and (built with ThreadSanitizer) no data
// race on the shared random generator.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "CirclePoints.h"
#include "circlefit/OCircleFit.h"
#include "circlefit/OCircleFit_OutlierFilter.h"

namespace {

using namespace circletest;  // point sets built from their definition

// Pixels: how close every fit of exact points must come to its circle.
constexpr double kTolerance = 1e-6;
constexpr int kThreads = 4;
constexpr int kRounds = 200;

// A circle centred on the origin of the working frame (the caller's (0, -0.9)): fits on it
// need random frame shifts, whichever the guess.
constexpr double kFrameOriginY = -0.9;

struct Job {
    TrueCircle plainCircle;     // fits on it never shift: deterministic
    TrueCircle shiftingCircle;  // fits on it draw from the generator
};

OCircleFit_Circle GuessNear(const TrueCircle& c) {
    return OCircleFit_Circle(c.x + 1.0, c.y - 1.0, c.r + 0.5, kLargeSigma, 0);
}

bool Near(const OCircleFit_Circle& fit, const TrueCircle& c) {
    return std::fabs(fit.m_dCenterX - c.x) <= kTolerance &&
           std::fabs(fit.m_dCenterY - c.y) <= kTolerance &&
           std::fabs(fit.m_dRadius - c.r) <= kTolerance;
}

// Each thread fits two circles per round: one whose fit never needs the generator and must
// equal the single-threaded result bit for bit, and one whose fit draws random frame shifts and
// must still converge. Between the fits it draws, reseeds and resets the generator, and runs the
// complete measurement (which shifts too).
TEST(CircleFitThreads, ConcurrentFitsAgreeWithSingleThreadedOnes) {
    std::vector<Job> jobs;
    std::vector<OCircleFit_Circle> expected;
    for (int t = 0; t < kThreads; ++t) {
        const Job job{{50.0 + 20.0 * t, 40.0 - 5.0 * t, 15.0 + 3.0 * t},
                      {0.0, kFrameOriginY, 12.0 + 4.0 * t}};
        jobs.push_back(job);
        PointLists points(64);
        AddArc(points, job.plainCircle, 0.0, 360.0, 64);
        const OCircleFit_Data data(points.x, points.y);
        expected.push_back(OCircleFit::CircleFit(data, GuessNear(job.plainCircle)));
    }

    std::atomic<int> failures{0};
    auto work = [&](int t) {
        const Job& job = jobs[static_cast<std::size_t>(t)];
        const OCircleFit_Circle& want = expected[static_cast<std::size_t>(t)];
        PointLists plainPoints(64);
        AddArc(plainPoints, job.plainCircle, 0.0, 360.0, 64);
        const OCircleFit_Data plainData(plainPoints.x, plainPoints.y);
        PointLists shiftingPoints(64);
        AddArc(shiftingPoints, job.shiftingCircle, 0.0, 360.0, 64);
        const OCircleFit_Data shiftingData(shiftingPoints.x, shiftingPoints.y);

        for (int round = 0; round < kRounds; ++round) {
            const OCircleFit_Circle plain =
                OCircleFit::CircleFit(plainData, GuessNear(job.plainCircle));
            if (plain.m_dCenterX != want.m_dCenterX || plain.m_dCenterY != want.m_dCenterY ||
                plain.m_dRadius != want.m_dRadius || plain.m_iIterations != want.m_iIterations) {
                ++failures;
            }
            if (!Near(OCircleFit::CircleFit(shiftingData, GuessNear(job.shiftingCircle)),
                      job.shiftingCircle)) {
                ++failures;
            }
            if (OCircleFit::MT19937() > 1.0) {
                ++failures;
            }
            if (round % 5 == 0) {
                OCircleFit reset;
                OCircleFit::MT19937_Seed(static_cast<unsigned>(round));
            }

            OCircleFit_Circle circle = GuessNear(job.shiftingCircle);
            int inliers = 0, outliers = 0;
            bool f1, f2, f3;
            double d[17];
            const double factor = 2.0;
            const bool ok = OCircleFit_OutlierFilter::bComputeCircleFit(
                3, shiftingPoints.x, shiftingPoints.y, true, true, true, true, true, 1, 3, factor,
                circle, nullptr, nullptr, inliers, outliers, f1, d[0], d[1], d[2], d[3], d[4], f2,
                d[5], d[6], d[7], d[8], d[9], f3, d[10], d[11], d[12], d[13], d[14], d[15], d[16],
                {});
            if (!ok || inliers != 64 || !Near(circle, job.shiftingCircle)) {
                ++failures;
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

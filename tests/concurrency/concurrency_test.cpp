// Several threads at once, one test per kind of work: searches with sub-pixel refinement of one
// shared image (each thread with its own paths and drawing context), circle measurements and line
// regressions on each thread's own points, and circle fits that draw from the process-wide random
// generator. Every job is first run alone; then kThreads threads run
// all jobs kRounds times, each starting at a different job so that different jobs overlap, and
// every result must equal the one computed alone, bit for bit. Built with ThreadSanitizer
// (scripts/tsan.sh) the same runs show that the calls share no unguarded state.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "CirclePoints.h"
#include "RecordingContext.h"
#include "RegressionTestSupport.h"
#include "caliper/OCaliper.h"
#include "circlefit/OCircleFit_OutlierFilter.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "subpixel/OSubpixelCalculation.h"

namespace {

constexpr std::size_t kThreads = 4;
constexpr std::size_t kRounds = 10;

// A job writes its results as exact text (raw coordinates, doubles in hexadecimal) and answers
// whether it found what it looks for; without that, equal text would prove little.
using Job = std::function<bool(std::ostream&)>;

void ExpectSameResultsOnThreads(const std::vector<Job>& jobs) {
    const auto run = [&jobs](std::size_t j) {
        std::ostringstream out;
        EXPECT_TRUE(jobs[j](out << std::hexfloat)) << "job " << j << " finds nothing";
        return out.str();
    };
    std::vector<std::string> expected;
    for (std::size_t j = 0; j < jobs.size(); ++j) {
        expected.push_back(run(j));
    }
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (std::size_t k = 0; k < kRounds * jobs.size(); ++k) {
                const std::size_t j = (k + t * jobs.size() / kThreads) % jobs.size();
                mismatches += run(j) != expected[j] ? 1 : 0;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches, 0) << "results that differ from the single-threaded run";
}

std::ostream& operator<<(std::ostream& out, const OVector& v) {
    return out << v.GetRawX() << ' ' << v.GetRawY() << ' ';
}

// Every edge along the path with its sub-pixel refinement, the labels going to the job's own
// drawing context.
bool Search(OVectorPath&& path, const std::shared_ptr<OType_Image>& image, int type,
            std::ostream& out) {
    out << path.bCreateTransitionFunction(type, 20, 128, 2, 2, image);
    RecordingContext context;
    int index = 0, edges = 0;
    OVector point;
    double angle = 0.0;
    for (; path.FindNextTransition(image, 0, 1, -1, index, point, angle, &context, 1, 0); ++edges) {
        out << index << point << angle
            << OSubpixelCalculation::CalculateTransitionOnPath(image.get(), &path, 1, index, point,
                                                               angle)
            << point << angle;
    }
    return edges > 0;
}

TEST(Concurrency, SearchesOfOneSharedImage) {
    // Bright, with a dark disc, a dark bar and a soft ramp: edges of both polarities, sharp and
    // blurred, in every direction.
    constexpr int kSize = 160;
    auto image = std::make_shared<OType_Image>(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const bool dark = std::hypot(x - 79.5, y - 79.5) < 40.0 || (x >= 20 && x < 30);
            image->SetPixel_Grey(x, y, dark ? 50 : x >= 130 && x < 146 ? 200 - (x - 130) * 9 : 200);
        }
    }
    std::vector<Job> jobs;
    for (const int type : {OVectorPath::kTransitionBand, OVectorPath::kTransitionAbsDeviation,
                           OVectorPath::kTransitionCanny}) {
        jobs.push_back([image, type](std::ostream& out) {
            return Search(OVectorPath_Line(OVector(2.5, 80.5), OVector(157.5, 70.5)), image, type,
                          out) &&
                   Search(OVectorPath_Circle(OVector(100.5, 80.5), 45.0, 30.0, 360.0), image, type,
                          out) &&
                   Search(OVectorPath_Circle_Float(OVector(70.0, 90.0), 60.0f, -60.0f, 250.0f),
                          image, type, out);
        });
    }
    ExpectSameResultsOnThreads(jobs);
}

// The complete circle measurement on points of a circle, two of them far outside it, in a frame
// that the fit never has to shift (a shift draws from the process-wide random generator, whose
// numbers depend on the interleaving; FitsThatShiftTheirFrame covers that).
bool MeasureCircle(double r, std::ostream& out) {
    constexpr int kCount = 40;
    const double c = 3.0 * r;
    OFastArrayList<double> xs(kCount), ys(kCount);
    for (int i = 0; i < kCount; ++i) {
        const double radius = i % 20 == 7 ? 3.0 * r : r;
        xs.Add(c + radius * std::cos(2.0 * kPi * i / kCount));
        ys.Add(-c + radius * std::sin(2.0 * kPi * i / kCount));
    }
    OCircleFit_Circle circle(c + 1.0, -c - 1.0, r + 0.5, 1e10, 0);
    int inliers = 0, outliers = 0;
    bool f[3] = {};
    double d[17] = {};
    const bool ok = OCircleFit_OutlierFilter::bComputeCircleFit(
        3, xs, ys, true, true, true, true, true, 1, 5, 2.0, circle, nullptr, nullptr, inliers,
        outliers, f[0], d[0], d[1], d[2], d[3], d[4], f[1], d[5], d[6], d[7], d[8], d[9], f[2],
        d[10], d[11], d[12], d[13], d[14], d[15], d[16], nullptr);
    out << inliers << ' ' << circle.m_dCenterX << ' ' << circle.m_dRadius << f[0] << f[2];
    for (const double figure : d) {
        out << ' ' << figure;
    }
    return ok && outliers == 2;
}

TEST(Concurrency, CircleMeasurements) {
    ExpectSameResultsOnThreads({[](std::ostream& out) { return MeasureCircle(15.0, out); },
                                [](std::ostream& out) { return MeasureCircle(120.0, out); }});
}

// A circle centred on the origin of the fit's working frame (the caller's (0, -0.9)) makes the fit
// draw random frame shifts; with other threads drawing too, its exact path depends on the
// interleaving, so the job reports only whether it converged onto the circle. Around the fit the
// job draws from, reseeds and resets the generator itself.
bool FitWithFrameShifts(double r, std::ostream& out) {
    constexpr double kTolerance = 1e-6;
    constexpr int kCount = 64;
    const circletest::TrueCircle circle{0.0, -0.9, r};
    circletest::PointLists points(kCount);
    circletest::AddArc(points, circle, 0.0, 360.0, kCount);
    OCircleFit::MT19937_Seed(static_cast<unsigned>(r));
    const OCircleFit_Circle fit = OCircleFit::CircleFit(
        {points.x, points.y}, {1.0, -1.9, r + 0.5, circletest::kLargeSigma, 0});
    const bool drawn = OCircleFit::MT19937() <= 1.0;
    OCircleFit reset;
    const bool converged = std::fabs(fit.m_dCenterY - circle.y) < kTolerance &&
                           std::fabs(fit.m_dRadius - r) < kTolerance;
    out << converged << drawn;
    return converged && drawn;
}

TEST(Concurrency, FitsThatShiftTheirFrame) {
    std::vector<Job> jobs;
    for (const double r : {12.0, 16.0, 20.0, 24.0}) {
        jobs.push_back([r](std::ostream& out) { return FitWithFrameShifts(r, out); });
    }
    ExpectSameResultsOnThreads(jobs);
}

TEST(Concurrency, Regressions) {
    std::vector<Job> jobs;
    for (const int filter :
         {0, OVector_Regression::kFilterStdDev, OVector_Regression::kFilterDETSAC,
          OVector_Regression::kFilterDETSAC_FPGA}) {
        jobs.push_back([filter](std::ostream& out) {
            // A line of slope 4 through (20, 30), every seventh point moved off it.
            PixelPoints points;
            for (int i = 0; i < 60; ++i) {
                points.emplace_back(20.0 + i * 1.5, 30.0 + i * 6.0 + (i % 7 == 3 ? 6.0 : 0.0));
            }
            RegressionCall call(points);
            call.mode = 3;
            call.filter = filter;
            call.searchLevel = 4;
            out << call.Run().angle << ' ' << call.centre << call.inlierCount << ' '
                << call.maxDistance << ' ' << call.outlierCount;
            return call.ok;
        });
    }
    ExpectSameResultsOnThreads(jobs);
}

TEST(Concurrency, CalipersOfOneSharedImage) {
    // A bright disc with a dark bar through it, in 8 and 16 bits: edges and pairs along lines and
    // arcs, the image shared by reference.
    constexpr int kSize = 128;
    OType_Image image(kSize, kSize);
    std::vector<std::uint16_t> wide(kSize * kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const bool bright = std::hypot(x - 63.7, y - 64.2) < 40.0 && (x < 60 || x >= 66);
            image.SetPixel_Grey(x, y, bright ? 190 : 40);
            wide[y * kSize + x] = bright ? 50000 : 9000;
        }
    }
    const OType_Image16 image16(kSize, kSize, wide.data(), kSize);
    std::vector<Job> jobs;
    for (int k = 0; k < 4; ++k) {
        jobs.push_back([&, k](std::ostream& out) {
            OCaliperEdgeSettings all;
            all.selection = OCaliperSelection::All;
            const OCaliperLine line{10.0, 50.0 + k, 118.0, 60.0 + k, 5.0};
            const OCaliperArc arc{63.7, 64.2, 40.0, 0.3 * k, 5.0, 3.0};
            const OCaliperEdgeResult edges[] = {OCaliper::MeasureEdges(image, line, all),
                                                OCaliper::MeasureEdges(image16, arc, all)};
            const OCaliperPairResult pair =
                OCaliper::MeasurePairs(image, line, OCaliperPairSettings());
            for (const OCaliperEdgeResult& result : edges) {
                for (const OCaliperEdge& e : result.edges) {
                    out << e.x << ' ' << e.y << ' ' << e.sigma << ' ';
                }
            }
            for (const OCaliperPair& p : pair.pairs) {
                out << p.width << ' ' << p.widthSigma << ' ';
            }
            return edges[0].Ok() && edges[1].Ok() && pair.Ok();
        });
    }
    ExpectSameResultsOnThreads(jobs);
}

}  // namespace

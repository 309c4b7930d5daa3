// Several threads at once: searches of one shared image, each thread with its own paths and
// drawing context; line regressions and circle measurements on each thread's own points; all of it
// interleaved. Every job is first run alone; then kThreads threads run every job kRounds times,
// each thread starting at a different job so that different kinds of work overlap, and every
// result must equal the one computed alone, bit for bit. Built with ThreadSanitizer
// (scripts/tsan.sh) the same runs show that the calls share no unguarded state.
//
// Circle fits whose frame must be shifted draw from the process-wide random generator, so which
// numbers they get depends on the interleaving; those jobs report whether they found their
// circle instead of the exact figures. (tests/circlefit/CircleFitThreads_test.cpp checks the
// generator itself under concurrent use.)
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "RecordingContext.h"
#include "RegressionTestSupport.h"
#include "circlefit/OCircleFit_OutlierFilter.h"
#include "edge/OCannyEdge.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "regression/OVector_Regression.h"
#include "subpixel/OSubpixelCalculation.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 20;
// Pixels: how close a circle measurement that needed frame shifts must come to its circle.
constexpr double kTolerance = 1e-6;

constexpr int kImageSize = 160;
constexpr unsigned char kBright = 200;
constexpr unsigned char kDark = 50;
// A circle guess sigma that every first step of a fit beats.
constexpr double kLargeSigma = 1e10;

// The shared image: bright, with a dark disc, a dark vertical bar and a soft ramp, so that lines
// and circles in any direction cross sharp and blurred edges of both polarities.
std::shared_ptr<OType_Image> MakeSharedImage() {
    auto image = std::make_shared<OType_Image>(kImageSize, kImageSize);
    for (int y = 0; y < kImageSize; ++y) {
        for (int x = 0; x < kImageSize; ++x) {
            const double dx = x + 0.5 - 80.0;
            const double dy = y + 0.5 - 80.0;
            int grey = kBright;
            if (dx * dx + dy * dy < 40.0 * 40.0) {
                grey = kDark;
            } else if (x >= 20 && x < 30) {
                grey = kDark;
            } else if (x >= 130 && x < 146) {
                grey = kBright - (x - 130) * 9;
            }
            image->SetPixel_Grey(x, y, grey);
        }
    }
    return image;
}

// Results are written as exact text (raw coordinates, doubles in hexadecimal), so that equal
// text means equal bits.
class Result {
  public:
    template <class T>
    Result& operator<<(const T& value) {
        m_text << value << ' ';
        return *this;
    }
    Result& operator<<(double value) {
        m_text << std::hexfloat << value << std::defaultfloat << ' ';
        return *this;
    }
    Result& operator<<(const OVector& v) { return *this << v.GetRawX() << v.GetRawY(); }
    std::string Text() const { return m_text.str(); }

  private:
    std::ostringstream m_text;
};

// What a job gives: its results as exact text, and whether it found what it looks for (an edge,
// a line, a circle), without which comparing the text would prove little.
struct Outcome {
    std::string text;
    bool found;
};

struct Job {
    std::string name;
    std::function<Outcome()> run;
};

// All three searches, each from the start of the path, with the sub-pixel refinement of every
// edge found; the overlay goes to the thread's own drawing context.
Outcome SearchJob(OVectorPath& path, const std::shared_ptr<OType_Image>& image,
                  int transitionType) {
    Result result;
    const int first = transitionType == OVectorPath::kTransitionCanny ? 20 : 0;
    const int second = transitionType == OVectorPath::kTransitionBand ? 128 : 40;
    result << path.bCreateTransitionFunction(transitionType, first, second, 2, 2, image);
    RecordingContext context;
    int index = 0;
    OVector point;
    double angle = 0.0;

    int edges = 0;
    path.Reset();
    while (path.FindNextTransition(image, 0, 1, -1, index, point, angle, &context, 1, index)) {
        ++edges;
        OVector refined;
        double refinedAngle = 0.0;
        result << index << point << angle
               << OSubpixelCalculation::CalculateTransitionOnPath(image.get(), &path, 1, index,
                                                                  refined, refinedAngle)
               << refined << refinedAngle;
    }
    path.Reset();
    result << path.FindNextTransitionSingle(image, 2, 0, 0, -1, index, point, angle, &context, 2, 0,
                                            true)
           << index << point;
    path.Reset();
    int index2 = 0;
    OVector point2;
    double angle2 = 0.0;
    result << path.FindNextTransitionPair(image, 1, 1, 0, 0, -1, 1, 2, 0, 1, -1, 1, index, point,
                                          angle, index2, point2, angle2, &context, 0, 0, 0, true)
           << index << point << index2 << point2;
    result << context.Log().size() << context.FontRestored() << context.BackgroundModeRestored();
    return {result.Text(), edges > 0};
}

std::vector<Job> SearchJobs(const std::shared_ptr<OType_Image>& image) {
    std::vector<Job> jobs;
    const int types[] = {OVectorPath::kTransitionBand, OVectorPath::kTransitionAbsDeviation,
                         OVectorPath::kTransitionCanny};
    for (const int type : types) {
        const std::string suffix = " type " + std::to_string(type);
        jobs.push_back({"line across the disc" + suffix, [image, type] {
                            OVectorPath_Line line(OVector(2.5, 80.5), OVector(157.5, 70.5));
                            return SearchJob(line, image, type);
                        }});
        jobs.push_back({"steep line" + suffix, [image, type] {
                            OVectorPath_Line line(OVector(60.5, 2.5), OVector(100.5, 157.5));
                            return SearchJob(line, image, type);
                        }});
        jobs.push_back({"full circle" + suffix, [image, type] {
                            OVectorPath_Circle circle(OVector(100.5, 80.5), 45.0, 30.0, 360.0);
                            return SearchJob(circle, image, type);
                        }});
        jobs.push_back({"float arc" + suffix, [image, type] {
                            OVectorPath_Circle_Float arc(OVector(70.0, 90.0), 60.0f, -60.0f,
                                                         250.0f);
                            return SearchJob(arc, image, type);
                        }});
    }
    jobs.push_back({"canny profile", [image] {
                        WritableCollection<int> profile;
                        for (int x = 0; x < kImageSize; ++x) {
                            profile.Add(image->GetPixel_Grey(x, 80));
                        }
                        profile.Add(OType_Image::kNoValue);
                        WritableCollection<int> transitions;
                        const bool built =
                            OCannyEdge::bFindCannyEdgeTransitions(profile, 10, 2, transitions);
                        Result result;
                        for (std::int64_t k = 0; k < transitions.GetCount(); ++k) {
                            result << transitions.GetAt(k);
                        }
                        return Outcome{result.Text(), built};
                    }});
    return jobs;
}

// Points on a line of the given slope through (20, 30) in pixels, every seventh moved off it.
PixelPoints LinePoints(double slope, int count) {
    PixelPoints points;
    for (int i = 0; i < count; ++i) {
        const double x = 20.0 + i * 1.5;
        const double offLine = i % 7 == 3 ? 6.0 : 0.0;
        points.emplace_back(x, 30.0 + slope * (x - 20.0) + offLine);
    }
    return points;
}

std::vector<Job> RegressionJobs() {
    std::vector<Job> jobs;
    const int filters[] = {0, OVector_Regression::kFilterStdDev, OVector_Regression::kFilterDETSAC,
                           OVector_Regression::kFilterDETSAC_FPGA};
    for (const int filter : filters) {
        for (const double slope : {0.25, 4.0}) {
            jobs.push_back(
                {"regression filter " + std::to_string(filter) + " slope " + std::to_string(slope),
                 [filter, slope] {
                     RegressionCall call(LinePoints(slope, 60));
                     call.mode = 3;
                     call.farthest = call.sigmaAll = call.sigmaInliers = true;
                     call.filter = filter;
                     call.iterations = 4;
                     call.sigmaFactor = 1.5;
                     call.searchLevel = 4;
                     call.Run();
                     Result result;
                     result << call.angle << call.centre << call.inlierCount << call.outlierCount
                            << call.found << call.maxDistance << call.farthestX << call.farthestY
                            << call.footX << call.footY << call.sigmaAllOut << call.sigmaInliersOut;
                     return Outcome{result.Text(), call.ok};
                 }});
        }
    }
    return jobs;
}

struct CircleCase {
    double x;
    double y;
    double r;
};

// The complete circle measurement on 40 points of a circle and two far points. `exact` jobs never
// shift their frame and report their figures; the others report whether they found the circle.
Outcome CircleJob(const CircleCase& c, bool exact) {
    constexpr int kCount = 40;
    OFastArrayList<double> xs(kCount + 2);
    OFastArrayList<double> ys(kCount + 2);
    for (int i = 0; i < kCount; ++i) {
        const double t = 2.0 * kPi * i / kCount;
        xs.Add(c.x + c.r * std::cos(t));
        ys.Add(c.y + c.r * std::sin(t));
    }
    xs.Add(c.x + 3.0 * c.r);
    ys.Add(c.y);
    xs.Add(c.x);
    ys.Add(c.y - 2.5 * c.r);
    OCircleFit_Circle circle(c.x + 1.0, c.y - 1.0, c.r + 0.5, kLargeSigma, 0);
    int inliers = 0;
    int outliers = 0;
    bool f1 = false;
    bool f2 = false;
    bool f3 = false;
    double d[17] = {};
    const double factor = 2.0;
    const bool ok = OCircleFit_OutlierFilter::bComputeCircleFit(
        3, xs, ys, true, true, true, true, true, 1, 5, factor, circle, nullptr, nullptr, inliers,
        outliers, f1, d[0], d[1], d[2], d[3], d[4], f2, d[5], d[6], d[7], d[8], d[9], f3, d[10],
        d[11], d[12], d[13], d[14], d[15], d[16], nullptr);
    Result result;
    result << inliers << outliers;
    if (!exact) {
        const bool near = std::fabs(circle.m_dCenterX - c.x) <= kTolerance &&
                          std::fabs(circle.m_dCenterY - c.y) <= kTolerance &&
                          std::fabs(circle.m_dRadius - c.r) <= kTolerance;
        return {result.Text(), ok && near};
    }
    result << circle.m_dCenterX << circle.m_dCenterY << circle.m_dRadius << circle.m_dSigma
           << circle.m_iIterations << f1 << f2 << f3;
    for (const double figure : d) {
        result << figure;
    }
    return {result.Text(), ok};
}

std::vector<Job> CircleJobs() {
    // Centred on the working frame's origin (the caller's (0, -0.9)): these fits must shift.
    constexpr double kFrameOriginY = -0.9;
    return {
        {"circle measurement",
         [] {
             return CircleJob({50.0, 40.0, 15.0}, true);
         }},
        {"large circle measurement",
         [] {
             return CircleJob({300.0, -200.0, 120.0}, true);
         }},
        {"shifting circle measurement",
         [] {
             return CircleJob({0.0, kFrameOriginY, 12.0}, false);
         }},
    };
}

TEST(Concurrency, JobsOnSeveralThreadsGiveTheirSingleThreadedResults) {
    const std::shared_ptr<OType_Image> image = MakeSharedImage();
    std::vector<Job> jobs = SearchJobs(image);
    for (std::vector<Job> more : {RegressionJobs(), CircleJobs()}) {
        jobs.insert(jobs.end(), more.begin(), more.end());
    }
    std::vector<std::string> expected;
    for (const Job& job : jobs) {
        const Outcome alone = job.run();
        EXPECT_TRUE(alone.found) << job.name
                                 << " finds nothing: comparing its results proves little";
        expected.push_back(alone.text);
    }

    std::mutex mismatchLock;
    std::vector<std::string> mismatches;
    auto work = [&](int thread) {
        for (int round = 0; round < kRounds; ++round) {
            for (std::size_t k = 0; k < jobs.size(); ++k) {
                const std::size_t j =
                    (k + static_cast<std::size_t>(thread) * jobs.size() / kThreads) % jobs.size();
                if (jobs[j].run().text != expected[j]) {
                    const std::lock_guard<std::mutex> lock(mismatchLock);
                    mismatches.push_back(jobs[j].name + " (thread " + std::to_string(thread) + ")");
                }
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
    for (const std::string& mismatch : mismatches) {
        ADD_FAILURE() << "result differs from the single-threaded run: " << mismatch;
    }
}

}  // namespace

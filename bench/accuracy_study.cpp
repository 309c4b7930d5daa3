// How exact the library's measurements are, side by side with OpenCV, on synthetic images of known
// truth. Not a benchmark: it prints the markdown tables of the accuracy part of
// docs/PERFORMANCE.md (scripts/performance-report.sh runs it).
//
// Scenes (opencv_comparison_support.h): blurred step edges (Gaussian blur of 1 pixel) from grey
// 50 on the dark side to 200 on the bright side, Gaussian noise of 0, 2 and 5 grey levels, fixed
// seeds. Truth is the scene's edge in the library's coordinates (pixel i covers [i, i + 1), its
// centre at i + 0.5); an error is the signed distance of a measured point from the true edge,
// positive towards the bright side.
//
// 1. Edge position: a straight edge at a random angle through a random sub-pixel point; a line
//    path of 24 pixels along the edge normal, from the dark into the bright side, with the grey
//    band [0, 125] as transition function. Measured: the point of the search's integer index (the
//    last position inside the band), the sub-pixel refinement of that index, and as OpenCV peers
//    the band crossing along a cv::LineIterator (the last dark pixel's centre) and a parabola
//    through the largest cv::Sobel gradient of that profile and its neighbours.
// 2. Circles: a dark disc of radius 80 to 81 pixels at a random sub-pixel centre, 64 radial
//    probes (searched and refined as in 1) spread over an arc of 360, 180 or 90 degrees, every
//    tenth edge point then moved 5 to 40 pixels along the radius (10 % outliers). The points are
//    fitted by the library (plain procedure, without and with the outlier filter; the guess 3, -2
//    and +4 pixels off, as a search circle gives it) and by cv::fitEllipse and
//    cv::fitEllipseDirect (the radius of an ellipse is the mean of its semi-axes).
// 3. Lines: a straight edge at a random angle, 40 probes across it over 240 pixels, 10 %
//    outliers as in 2 (across the line). Fitted by the library with each filter and by
//    cv::fitLine (DIST_L2, DIST_HUBER). Errors: the angle, and the offset of the fitted line from
//    the true one at the middle of the probed stretch.
// OpenCV receives the points unchanged, as float coordinates in the same frame.
// 4, 5. Precision calipers: see below.
// 6. Metrology tools on plates, beside the path method, and the Monte-Carlo check of their
//    uncertainties: metrology_accuracy.cpp.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "accuracy_stats.h"
#include "caliper/OCaliper.h"
#include "metrology_accuracy.h"
#include "opencv_comparison_support.h"
#include "paths/OVectorPath_Line.h"
#include "subpixel/OSubpixelCalculation.h"

namespace {

using comparison::kPi;

constexpr double kDark = 50.0;
constexpr double kBright = 200.0;
constexpr double kBlurSigma = 1.0;
constexpr double kNoiseLevels[] = {0.0, 2.0, 5.0};
constexpr int kBandHigh = 125;  // the band [0, 125] is the dark side
constexpr int kAllPolarities = 0;
constexpr int kRefineMethod = 1;
constexpr int kSobelCentralDifference = 1;

constexpr int kEdgeTrials = 400;
constexpr int kEdgeImageSize = 64;
constexpr double kProbeHalfLength = 12.0;

constexpr int kCircleTrials = 100;
constexpr int kCircleImageSize = 300;
constexpr double kCircleRadius = 80.0;
constexpr int kCircleProbes = 64;
constexpr double kArcsDegrees[] = {360.0, 180.0, 90.0};
constexpr double kGuessOffsetX = 3.0;
constexpr double kGuessOffsetY = -2.0;
constexpr double kGuessOffsetR = 4.0;
constexpr double kGuessSigma = 1e10;

constexpr int kLineTrials = 100;
constexpr int kLineImageSize = 400;
constexpr int kLineProbes = 40;
constexpr double kLineStretch = 240.0;

// A point in the library's pixel coordinates.
struct Point {
    double x;
    double y;
};

// The scene of a straight edge: signed distance from the line through p with unit normal n
// (pointing to the bright side).
struct StraightEdge {
    Point p;
    Point n;
    double operator()(double x, double y) const { return (x - p.x) * n.x + (y - p.y) * n.y; }
};

// The scene of a dark disc: distance from its rim, positive outside.
struct Disc {
    Point c;
    double r;
    double operator()(double x, double y) const { return std::hypot(x - c.x, y - c.y) - r; }
};

// What one probe finds across an edge, from its start on the dark side to its end.
struct ProbeResult {
    bool found = false;  // the search found the edge
    Point integer{};     // the point of the found index
    bool refined = false;
    Point subpixel{};  // the refined point
};

Point FromVector(const OVector& v) {
    return {v.dX(), v.dY()};
}

ProbeResult ProbeLibrary(const std::shared_ptr<OType_Image>& image, Point start, Point end) {
    ProbeResult result;
    OVectorPath_Line path(OVector(start.x, start.y), OVector(end.x, end.y));
    path.bCreateTransitionFunction(OVectorPath::kTransitionBand, 0, kBandHigh, 0, 0, image);
    int index = -1;
    OVector point;
    double angle = 0.0;
    if (!path.FindNextTransition(image, kAllPolarities, 0, -1, index, point, angle, nullptr, 0,
                                 0)) {
        return result;
    }
    result.found = true;
    result.integer = FromVector(point);
    OVector refined;
    if (OSubpixelCalculation::CalculateTransitionOnPath(image.get(), &path, kRefineMethod, index,
                                                        refined, angle) == 1) {
        result.refined = true;
        result.subpixel = FromVector(refined);
    }
    return result;
}

// The OpenCV way: the profile along a cv::LineIterator between the two end pixels, the first
// band crossing (the last dark pixel, at its centre), and a parabola through the largest
// cv::Sobel gradient of the profile around it and its two neighbours.
ProbeResult ProbeOpenCV(cv::Mat& image, Point start, Point end) {
    ProbeResult result;
    const cv::Point first(static_cast<int>(std::floor(start.x)),
                          static_cast<int>(std::floor(start.y)));
    const cv::Point last(static_cast<int>(std::floor(end.x)), static_cast<int>(std::floor(end.y)));
    cv::LineIterator it(image, first, last, 8);
    std::vector<Point> centres;
    cv::Mat profile(1, it.count, CV_8UC1);
    for (int k = 0; k < it.count; ++k, ++it) {
        const cv::Point pixel = it.pos();
        centres.push_back({pixel.x + 0.5, pixel.y + 0.5});  // OpenCV's pixel index to our centre
        profile.at<unsigned char>(0, k) = **it;
    }
    int crossing = -1;
    for (int k = 0; k + 1 < it.count; ++k) {
        if (profile.at<unsigned char>(0, k) <= kBandHigh &&
            profile.at<unsigned char>(0, k + 1) > kBandHigh) {
            crossing = k;
            break;
        }
    }
    if (crossing < 0) {
        return result;
    }
    result.found = true;
    result.integer = centres[static_cast<std::size_t>(crossing)];

    cv::Mat gradient;
    cv::Sobel(profile, gradient, CV_16S, 1, 0, kSobelCentralDifference, 1.0, 0.0,
              cv::BORDER_REPLICATE);
    // The largest gradient among the crossing pixel and its neighbours on either side.
    int peak = crossing;
    for (int k = std::max(1, crossing - 2); k <= std::min(it.count - 2, crossing + 3); ++k) {
        if (gradient.at<short>(0, k) > gradient.at<short>(0, peak)) {
            peak = k;
        }
    }
    if (peak < 1 || peak > it.count - 2) {
        return result;
    }
    const double left = gradient.at<short>(0, peak - 1);
    const double middle = gradient.at<short>(0, peak);
    const double right = gradient.at<short>(0, peak + 1);
    const double curvature = left - 2.0 * middle + right;
    const double offset = curvature == 0.0 ? 0.0 : 0.5 * (left - right) / curvature;
    // Between pixel centres the iterator's steps are 1 or sqrt(2) long: interpolate towards the
    // neighbour on the side of the offset.
    const Point& c = centres[static_cast<std::size_t>(peak)];
    const Point& towards = centres[static_cast<std::size_t>(offset >= 0.0 ? peak + 1 : peak - 1)];
    const double t = std::fabs(offset);
    result.refined = true;
    result.subpixel = {c.x + t * (towards.x - c.x), c.y + t * (towards.y - c.y)};
    return result;
}

std::uint32_t Seed(int part, int noiseIndex, int trial) {
    return static_cast<std::uint32_t>(1000003 * part + 10007 * noiseIndex + trial);
}

void PrintEdgeStudy() {
    std::printf("### Edge position along a probe across a straight edge\n\n");
    std::printf(
        "%d edges per noise level; error = signed distance of the reported point from the "
        "true edge, in pixels (positive: towards the bright side).\n\n",
        kEdgeTrials);
    std::printf("| Position | Noise | Bias (px) | RMS (px) | Max (px) | Not found |\n");
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    for (int noiseIndex = 0; noiseIndex < 3; ++noiseIndex) {
        ErrorStats integer, subpixel, cvInteger, cvSubpixel;
        std::mt19937 random(Seed(1, noiseIndex, 0));
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int trial = 0; trial < kEdgeTrials; ++trial) {
            const double angle = 2.0 * kPi * unit(random);
            const StraightEdge edge{
                {kEdgeImageSize / 2.0 + unit(random), kEdgeImageSize / 2.0 + unit(random)},
                {std::cos(angle), std::sin(angle)}};
            comparison::SharedGreyImage image(kEdgeImageSize, kEdgeImageSize);
            comparison::RenderScene(image, edge, kDark, kBright, kBlurSigma,
                                    kNoiseLevels[noiseIndex], Seed(1, noiseIndex, trial + 1));
            const Point start{edge.p.x - kProbeHalfLength * edge.n.x,
                              edge.p.y - kProbeHalfLength * edge.n.y};
            const Point end{edge.p.x + kProbeHalfLength * edge.n.x,
                            edge.p.y + kProbeHalfLength * edge.n.y};
            const ProbeResult ours = ProbeLibrary(image.Library(), start, end);
            cv::Mat mat = image.Mat();
            const ProbeResult theirs = ProbeOpenCV(mat, start, end);
            auto add = [&edge](ErrorStats& stats, bool ok, Point p) {
                if (ok) {
                    stats.Add(edge(p.x, p.y));
                } else {
                    stats.Fail();
                }
            };
            add(integer, ours.found, ours.integer);
            add(subpixel, ours.refined, ours.subpixel);
            add(cvInteger, theirs.found, theirs.integer);
            add(cvSubpixel, theirs.refined, theirs.subpixel);
        }
        const double noise = kNoiseLevels[noiseIndex];
        const struct {
            const char* name;
            const ErrorStats& stats;
        } rows[] = {{"Library: search, integer index", integer},
                    {"Library: sub-pixel refinement", subpixel},
                    {"OpenCV: LineIterator band crossing (pixel centre)", cvInteger},
                    {"OpenCV: LineIterator + Sobel + parabola", cvSubpixel}};
        for (const auto& row : rows) {
            std::printf("| %s | %.0f | %s | %d |\n", row.name, noise, row.stats.Cells(3).c_str(),
                        row.stats.Failures());
        }
    }
    std::printf("\n");
}

// Edge points of the probes across a scene: the refined point of each probe that found one.
template <class Probe>
comparison::PointSet CollectEdgePoints(const std::vector<std::pair<Point, Point>>& probes,
                                       Probe probe) {
    comparison::PointSet points;
    for (const auto& [start, end] : probes) {
        const ProbeResult found = probe(start, end);
        if (found.refined) {
            points.Add(found.subpixel.x, found.subpixel.y);
        }
    }
    return points;
}

// Every tenth point moved 5 to 40 pixels along `direction(k)`.
template <class Direction>
void AddOutliers(comparison::PointSet& points, Direction direction, std::uint32_t seed) {
    std::mt19937 random(seed);
    for (std::size_t k = 0; k < points.Size(); k += comparison::kOutlierEvery) {
        const Point d = direction(points.x[k], points.y[k]);
        const double offset = comparison::OutlierOffset(random);
        points.x[k] += offset * d.x;
        points.y[k] += offset * d.y;
    }
}

struct CircleErrors {
    ErrorStats centre;  // distance of the fitted centre from the true one (no sign)
    ErrorStats radius;  // fitted minus true radius
};

void AddCircle(CircleErrors& errors, bool ok, double x, double y, double r, const Disc& truth) {
    if (!ok || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(r)) {
        errors.centre.Fail();
        errors.radius.Fail();
        return;
    }
    errors.centre.Add(std::hypot(x - truth.c.x, y - truth.c.y));
    errors.radius.Add(r - truth.r);
}

// Fewer points than an ellipse needs: every method counts a failure.
constexpr std::size_t kFewestFitPoints = 5;

void FitCircles(const comparison::PointSet& points, const Disc& truth, CircleErrors* errors) {
    if (points.Size() < kFewestFitPoints) {
        for (int m = 0; m < 4; ++m) {
            AddCircle(errors[m], false, 0.0, 0.0, 0.0, truth);
        }
        return;
    }
    const auto n = static_cast<std::int64_t>(points.Size());
    for (int filter = 0; filter < 2; ++filter) {
        OFastArrayList<double> xs(n);
        OFastArrayList<double> ys(n);
        points.FillLists(xs, ys);
        OCircleFit_Circle circle(truth.c.x + kGuessOffsetX, truth.c.y + kGuessOffsetY,
                                 truth.r + kGuessOffsetR, kGuessSigma, 0);
        const bool ok = comparison::MeasureCircle(xs, ys, filter == 1, circle);
        AddCircle(errors[filter], ok, circle.m_dCenterX, circle.m_dCenterY, circle.m_dRadius,
                  truth);
    }
    const std::vector<cv::Point2f> cvPoints = points.OpenCV();
    const cv::RotatedRect ellipses[] = {cv::fitEllipse(cvPoints), cv::fitEllipseDirect(cvPoints)};
    for (int k = 0; k < 2; ++k) {
        const cv::RotatedRect& e = ellipses[k];
        AddCircle(errors[2 + k], true, e.center.x, e.center.y, (e.size.width + e.size.height) / 4.0,
                  truth);
    }
}

void PrintCircleStudy() {
    std::printf("### Circles fitted to edge points with 10 %% outliers\n\n");
    std::printf(
        "%d discs per noise level, %d probes spread over the arc, refined edge points; "
        "centre error = distance of the fitted centre from the true one, radius error = "
        "fitted minus true radius, in pixels.\n\n",
        kCircleTrials, kCircleProbes);
    std::printf(
        "| Arc | Noise | Method | Centre mean | Centre RMS | Centre max | Radius bias | "
        "Radius RMS | Radius max | Failed |\n");
    std::printf("|---:|---:|---|---:|---:|---:|---:|---:|---:|---:|\n");
    const char* methods[] = {"Library, no filter", "Library, outlier filter", "cv::fitEllipse",
                             "cv::fitEllipseDirect"};
    for (double arcDegrees : kArcsDegrees) {
        for (int noiseIndex = 0; noiseIndex < 3; ++noiseIndex) {
            CircleErrors errors[4];
            std::mt19937 random(Seed(2, noiseIndex, 0));
            std::uniform_real_distribution<double> unit(0.0, 1.0);
            for (int trial = 0; trial < kCircleTrials; ++trial) {
                const Disc disc{
                    {kCircleImageSize / 2.0 + unit(random), kCircleImageSize / 2.0 + unit(random)},
                    kCircleRadius + unit(random)};
                const double firstAngle = 2.0 * kPi * unit(random);
                comparison::SharedGreyImage image(kCircleImageSize, kCircleImageSize);
                comparison::RenderScene(image, disc, kDark, kBright, kBlurSigma,
                                        kNoiseLevels[noiseIndex], Seed(2, noiseIndex, trial + 1));
                std::vector<std::pair<Point, Point>> probes;
                const double sweep = arcDegrees * kPi / 180.0;
                for (int k = 0; k < kCircleProbes; ++k) {
                    const double a = firstAngle + sweep * (k + 0.5) / kCircleProbes;
                    const Point u{std::cos(a), std::sin(a)};
                    const double inner = disc.r - kProbeHalfLength;
                    const double outer = disc.r + kProbeHalfLength;
                    probes.push_back({{disc.c.x + inner * u.x, disc.c.y + inner * u.y},
                                      {disc.c.x + outer * u.x, disc.c.y + outer * u.y}});
                }
                const std::shared_ptr<OType_Image> library = image.Library();
                comparison::PointSet points = CollectEdgePoints(
                    probes, [&library](Point s, Point e) { return ProbeLibrary(library, s, e); });
                AddOutliers(
                    points,
                    [&disc](double x, double y) {
                        const double d = std::hypot(x - disc.c.x, y - disc.c.y);
                        return Point{(x - disc.c.x) / d, (y - disc.c.y) / d};
                    },
                    Seed(2, noiseIndex, trial + 1));
                FitCircles(points, disc, errors);
            }
            for (int m = 0; m < 4; ++m) {
                std::printf("| %.0f | %.0f | %s | %.3f | %.3f | %.3f | %s | %d |\n", arcDegrees,
                            kNoiseLevels[noiseIndex], methods[m], errors[m].centre.Bias(),
                            errors[m].centre.Rms(), errors[m].centre.Max(),
                            errors[m].radius.Cells(3).c_str(), errors[m].radius.Failures());
            }
        }
    }
    std::printf("\n");
}

struct LineErrors {
    ErrorStats angle;   // degrees, folded into (-90, 90]
    ErrorStats offset;  // pixels, at the middle of the probed stretch
};

double FoldDegrees(double radians) {
    double degrees = radians * 180.0 / kPi;
    while (degrees > 90.0) {
        degrees -= 180.0;
    }
    while (degrees <= -90.0) {
        degrees += 180.0;
    }
    return degrees;
}

// Errors of a fitted line (a point on it and its direction angle) against the true edge.
void AddLine(LineErrors& errors, bool ok, Point on, double angle, const StraightEdge& truth) {
    if (!ok || !std::isfinite(angle)) {
        errors.angle.Fail();
        errors.offset.Fail();
        return;
    }
    const double trueAngle = std::atan2(truth.n.x, -truth.n.y);  // the edge runs across n
    errors.angle.Add(FoldDegrees(angle - trueAngle));
    // Signed distance of the true line's middle point from the fitted line, measured along the
    // true normal.
    const Point d{std::cos(angle), std::sin(angle)};
    const double across = (truth.p.x - on.x) * d.y - (truth.p.y - on.y) * d.x;
    const double normalDotCross = truth.n.x * d.y - truth.n.y * d.x;
    errors.offset.Add(normalDotCross == 0.0 ? across : -across / normalDotCross);
}

struct LineMethod {
    const char* name;
    int filter;  // -1: cv::fitLine
    int level;   // search level, or the cv::fitLine distance
};

void PrintLineStudy() {
    std::printf("### Lines fitted to edge points with 10 %% outliers\n\n");
    std::printf(
        "%d edges per noise level, %d probes over %.0f pixels, refined edge points; "
        "angle error in degrees, offset error = distance between the fitted and the true "
        "line at the middle of the probed stretch, in pixels.\n\n",
        kLineTrials, kLineProbes, kLineStretch);
    std::printf(
        "| Noise | Method | Angle bias (deg) | Angle RMS | Angle max | Offset bias (px) | "
        "Offset RMS | Offset max | Failed |\n");
    std::printf("|---:|---|---:|---:|---:|---:|---:|---:|---:|\n");
    const LineMethod methods[] = {
        {"Library, no filter", 0, 0},
        {"Library, std-dev filter", OVector_Regression::kFilterStdDev, 0},
        {"Library, DETSAC level 0", OVector_Regression::kFilterDETSAC, 0},
        {"Library, DETSAC level 4", OVector_Regression::kFilterDETSAC, 4},
        {"Library, DETSAC level 8", OVector_Regression::kFilterDETSAC, 8},
        {"Library, DETSAC fixed-width", OVector_Regression::kFilterDETSAC_FPGA, 0},
        {"cv::fitLine DIST_L2", -1, cv::DIST_L2},
        {"cv::fitLine DIST_HUBER", -1, cv::DIST_HUBER}};
    constexpr int kMethods = sizeof methods / sizeof methods[0];
    for (int noiseIndex = 0; noiseIndex < 3; ++noiseIndex) {
        LineErrors errors[kMethods];
        std::mt19937 random(Seed(3, noiseIndex, 0));
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int trial = 0; trial < kLineTrials; ++trial) {
            const double angle = 2.0 * kPi * unit(random);
            const StraightEdge edge{
                {kLineImageSize / 2.0 + unit(random), kLineImageSize / 2.0 + unit(random)},
                {std::cos(angle), std::sin(angle)}};
            comparison::SharedGreyImage image(kLineImageSize, kLineImageSize);
            comparison::RenderScene(image, edge, kDark, kBright, kBlurSigma,
                                    kNoiseLevels[noiseIndex], Seed(3, noiseIndex, trial + 1));
            const Point along{-edge.n.y, edge.n.x};
            std::vector<std::pair<Point, Point>> probes;
            for (int k = 0; k < kLineProbes; ++k) {
                const double t = kLineStretch * ((k + 0.5) / kLineProbes - 0.5);
                const Point on{edge.p.x + t * along.x, edge.p.y + t * along.y};
                probes.push_back(
                    {{on.x - kProbeHalfLength * edge.n.x, on.y - kProbeHalfLength * edge.n.y},
                     {on.x + kProbeHalfLength * edge.n.x, on.y + kProbeHalfLength * edge.n.y}});
            }
            const std::shared_ptr<OType_Image> library = image.Library();
            comparison::PointSet points = CollectEdgePoints(
                probes, [&library](Point s, Point e) { return ProbeLibrary(library, s, e); });
            AddOutliers(
                points, [&edge](double, double) { return edge.n; }, Seed(3, noiseIndex, trial + 1));
            for (int m = 0; m < kMethods; ++m) {
                if (points.Size() < kFewestFitPoints) {
                    AddLine(errors[m], false, {}, 0.0, edge);
                    continue;
                }
                if (methods[m].filter < 0) {
                    cv::Vec4f fitted;
                    cv::fitLine(points.OpenCV(), fitted, methods[m].level, 0.0, 0.01, 0.01);
                    AddLine(errors[m], true, {fitted[2], fitted[3]},
                            std::atan2(fitted[1], fitted[0]), edge);
                    continue;
                }
                OVector_Array array;
                comparison::FillArray(points, array);
                comparison::LineResult line;
                const bool ok = comparison::MeasureLine(array, methods[m].filter, methods[m].level,
                                                        line, nullptr);
                AddLine(errors[m], ok, FromVector(line.centre), line.angle, edge);
            }
        }
        for (int m = 0; m < kMethods; ++m) {
            std::printf("| %.0f | %s | %s | %s | %d |\n", kNoiseLevels[noiseIndex], methods[m].name,
                        errors[m].angle.Cells(4).c_str(), errors[m].offset.Cells(3).c_str(),
                        errors[m].angle.Failures());
        }
    }
    std::printf("\n");
}

// 4. Precision calipers. Straight edges as in 1, blurred by 0.7, 1 and 2 pixels, each measured by
//    a line caliper of 40 pixels along the edge normal (width 1 and 9, sigma matched to the
//    edge: the blur and the pixel together, sqrt(blur^2 + 1/12)), beside the search with its
//    refinement and the OpenCV peer of 1 on the same image. The Cramer-Rao bound is that of the
//    edge position from the pixels of a strip of the caliper's width along the edge:
//    noise / (contrast sqrt(width J)), J the integral of the squared derivative of the rendered
//    edge profile (the blurred step averaged over the renderer's samples of a pixel) by its
//    position. Noise there is the added Gaussian noise alone, without the rounding to bytes.
constexpr double kCaliperBlurs[] = {0.7, 1.0, 2.0};
constexpr double kCaliperWidths[] = {1.0, 9.0};
constexpr int kCaliperTrials = 400;
constexpr double kCaliperHalfLength = 20.0;
constexpr double kCaliperThreshold = 5.0;
// Angles are folded into [0, 45] degrees (the pixel grid's symmetry) and binned for the bias.
constexpr int kAngleBins = 3;
constexpr double kPixelVariance = 1.0 / 12.0;  // of a uniform position within a pixel

double MatchedSigma(double blur) {
    return std::sqrt(blur * blur + kPixelVariance);
}

// J for an edge at `angle`: integral over d of phi(d)^2, phi the derivative of the rendered
// profile, the mean over the renderer's sub-pixel samples of the Gaussian of the blur.
double EdgeInformation(double blur, double angle) {
    constexpr double kStep = 0.005;
    const double reach = 8.0 * blur + 2.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const int n = comparison::kSuperSamples;
    double sum = 0.0;
    for (double d = -reach; d <= reach; d += kStep) {
        double phi = 0.0;
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const double u = d + ((i + 0.5) / n - 0.5) * c + ((j + 0.5) / n - 0.5) * s;
                phi += std::exp(-0.5 * u * u / (blur * blur));
            }
        }
        phi /= n * n * blur * std::sqrt(2.0 * kPi);
        sum += phi * phi * kStep;
    }
    return sum;
}

int AngleBin(double angle) {
    double degrees = std::fmod(std::fabs(angle * 180.0 / kPi), 90.0);
    degrees = std::min(degrees, 90.0 - degrees);
    return std::min(kAngleBins - 1, static_cast<int>(degrees / (45.0 / kAngleBins)));
}

struct CaliperErrors {
    ErrorStats all;
    ErrorStats bins[kAngleBins];
    double sumReportedSquares = 0.0;
    int reported = 0;
    double sumCrbSquares = 0.0;
    int crbCount = 0;

    void Add(double error, int bin) {
        all.Add(error);
        bins[bin].Add(error);
    }
    double WorstBinBias() const {
        double worst = 0.0;
        for (const ErrorStats& b : bins) {
            worst = std::max(worst, std::fabs(b.Bias()));
        }
        return worst;
    }
};

void PrintCaliperEdgeStudy() {
    std::printf("### Precision calipers: edge position\n\n");
    std::printf(
        "%d edges per row at random angles and sub-pixel positions, contrast %.0f grey levels, "
        "each pixel the mean of the scene over the pixel, rounded to bytes. Caliper: 40 px along "
        "the edge normal, sigma matched to the edge, sqrt(blur^2 + 1/12). Worst bias: the "
        "largest |bias| of three bins of the angle folded into 0..45 degrees. CRB: the "
        "Cramer-Rao bound for the caliper's width (RMS of the bound over the trials). Reported / "
        "RMS: the RMS of the caliper's own 1-sigma uncertainty over the observed RMS error.\n\n",
        kCaliperTrials, kBright - kDark);
    std::printf(
        "| Blur | Noise | Method | Worst bias (px) | Bias | RMS (px) | Max (px) | CRB (px) | "
        "RMS / CRB | Reported / RMS | Not found |\n");
    std::printf("|---:|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const double blur : kCaliperBlurs) {
        for (int noiseIndex = 0; noiseIndex < 3; ++noiseIndex) {
            const double noise = kNoiseLevels[noiseIndex];
            CaliperErrors caliper[2];
            CaliperErrors search;
            CaliperErrors opencv;
            std::mt19937 random(Seed(4, noiseIndex, static_cast<int>(blur * 10)));
            std::uniform_real_distribution<double> unit(0.0, 1.0);
            for (int trial = 0; trial < kCaliperTrials; ++trial) {
                const double angle = 2.0 * kPi * unit(random);
                const StraightEdge edge{
                    {kEdgeImageSize / 2.0 + unit(random), kEdgeImageSize / 2.0 + unit(random)},
                    {std::cos(angle), std::sin(angle)}};
                comparison::SharedGreyImage image(kEdgeImageSize, kEdgeImageSize);
                comparison::RenderScene(image, edge, kDark, kBright, blur, noise,
                                        Seed(4, noiseIndex, trial + 1));
                const Point start{edge.p.x - kCaliperHalfLength * edge.n.x,
                                  edge.p.y - kCaliperHalfLength * edge.n.y};
                const Point end{edge.p.x + kCaliperHalfLength * edge.n.x,
                                edge.p.y + kCaliperHalfLength * edge.n.y};
                const int bin = AngleBin(angle);
                const double information = EdgeInformation(blur, angle);
                const OType_Image view(kEdgeImageSize, kEdgeImageSize, image.Data(),
                                       kEdgeImageSize);
                for (int w = 0; w < 2; ++w) {
                    OCaliperEdgeSettings settings;
                    settings.sigma = MatchedSigma(blur);
                    settings.threshold = kCaliperThreshold;
                    settings.polarity = OCaliperPolarity::Rising;
                    const OCaliperLine line{start.x, start.y, end.x, end.y, kCaliperWidths[w]};
                    const OCaliperEdgeResult result = OCaliper::MeasureEdges(view, line, settings);
                    CaliperErrors& e = caliper[w];
                    if (!result.Ok()) {
                        e.all.Fail();
                        continue;
                    }
                    e.Add(edge(result.edges[0].x, result.edges[0].y), bin);
                    e.sumReportedSquares += result.edges[0].sigma * result.edges[0].sigma;
                    ++e.reported;
                    const double crb =
                        noise / ((kBright - kDark) * std::sqrt(kCaliperWidths[w] * information));
                    e.sumCrbSquares += crb * crb;
                    ++e.crbCount;
                }
                const ProbeResult ours = ProbeLibrary(image.Library(), start, end);
                cv::Mat mat = image.Mat();
                const ProbeResult theirs = ProbeOpenCV(mat, start, end);
                ours.refined ? search.Add(edge(ours.subpixel.x, ours.subpixel.y), bin)
                             : search.all.Fail();
                theirs.refined ? opencv.Add(edge(theirs.subpixel.x, theirs.subpixel.y), bin)
                               : opencv.all.Fail();
            }
            const struct {
                std::string name;
                const CaliperErrors& errors;
            } rows[] = {{"Caliper, width 1", caliper[0]},
                        {"Caliper, width 9", caliper[1]},
                        {"Search + sub-pixel refinement", search},
                        {"OpenCV: LineIterator + Sobel + parabola", opencv}};
            for (const auto& row : rows) {
                const CaliperErrors& e = row.errors;
                const double rms = e.all.Rms();
                const double crb = e.crbCount ? std::sqrt(e.sumCrbSquares / e.crbCount) : 0.0;
                const double reported =
                    e.reported ? std::sqrt(e.sumReportedSquares / e.reported) : 0.0;
                char crbCells[64] = "— | —";
                if (e.crbCount && noise > 0.0) {
                    std::snprintf(crbCells, sizeof crbCells, "%.4f | %.2f", crb, rms / crb);
                }
                char reportedCell[32] = "—";
                if (e.reported && noise > 0.0) {
                    std::snprintf(reportedCell, sizeof reportedCell, "%.2f", reported / rms);
                }
                std::printf("| %.1f | %.0f | %s | %.4f | %s | %s | %s | %d |\n", blur, noise,
                            row.name.c_str(), e.WorstBinBias(), e.all.Cells(4).c_str(), crbCells,
                            reportedCell, e.all.Failures());
            }
        }
    }
    std::printf("\n");
}

// Bright bars of known width at blur 1, measured as rising-falling pairs by a caliper of width 9
// across them (sigma 1, the default).
constexpr double kBarWidths[] = {2.0, 3.0, 5.0, 10.0, 40.0};
constexpr int kBarTrials = 200;
constexpr int kBarImageSize = 96;
constexpr double kBarBlur = 1.0;
constexpr double kBarCaliperWidth = 9.0;
constexpr double kBarReach = 12.0;  // of the caliper beyond the bar's edges (px)

// A bright bar blurred by a Gaussian: the fraction of the bright level at a point, the difference
// of the two blurred steps at its sides.
struct Bar {
    Point p;  // the middle of the bar
    Point n;  // across the bar
    double width;
    double blur;
    double operator()(double x, double y) const {
        const double across = (x - p.x) * n.x + (y - p.y) * n.y;
        return comparison::BlurredStep(across + 0.5 * width, blur) -
               comparison::BlurredStep(across - 0.5 * width, blur);
    }
};

// The Cramer-Rao bound of a bar's width from the pixels under the caliper: kBarCaliperWidth
// lines of pixels across an axis-aligned bar (the mean of the blurred bar over each pixel), all
// six parameters of two blurred steps unknown (ground, two contrasts, two positions, blur; the
// blur known when knownBlur says so), the
// noise the added noise and the rounding to bytes (1/12 grey level squared) together. The mean of
// the bound's square over kBarPhases sub-pixel positions, as a root.
constexpr int kBarPhases = 4;
constexpr int kBarParameters = 6;
constexpr int kBarPixelSamples = 16;
constexpr double kDerivativeStep = 1e-5;
constexpr double kRoundingVariance = 1.0 / 12.0;

double BarPixel(const double* p, double x) {
    double sum = 0.0;
    for (int i = 0; i < kBarPixelSamples; ++i) {
        const double u = x + (i + 0.5) / kBarPixelSamples - 0.5;
        sum += p[0] + p[1] * comparison::BlurredStep(u - p[3], p[5]) +
               p[2] * comparison::BlurredStep(u - p[4], p[5]);
    }
    return sum / kBarPixelSamples;
}

double WidthBound(double width, double noise, double reach, bool knownBlur) {
    double sumSquares = 0.0;
    for (int phase = 0; phase < kBarPhases; ++phase) {
        const double a = static_cast<double>(phase) / kBarPhases;
        const double p[kBarParameters] = {kDark, kBright - kDark, kDark - kBright,
                                          a,     a + width,       kBarBlur};
        double fisher[kBarParameters][kBarParameters] = {};
        for (double x = std::floor(a - reach) + 0.5; x < a + width + reach; x += 1.0) {
            double j[kBarParameters];
            for (int k = 0; k < kBarParameters; ++k) {
                double up[kBarParameters];
                double down[kBarParameters];
                std::copy(p, p + kBarParameters, up);
                std::copy(p, p + kBarParameters, down);
                up[k] += kDerivativeStep;
                down[k] -= kDerivativeStep;
                j[k] = (BarPixel(up, x) - BarPixel(down, x)) / (2.0 * kDerivativeStep);
            }
            for (int r = 0; r < kBarParameters; ++r) {
                for (int c = 0; c < kBarParameters; ++c) {
                    fisher[r][c] += j[r] * j[c] * kBarCaliperWidth;
                }
            }
        }
        if (knownBlur) {
            for (int k = 0; k < kBarParameters; ++k) {
                fisher[k][kBarParameters - 1] = fisher[kBarParameters - 1][k] =
                    k == kBarParameters - 1 ? 1.0 : 0.0;
            }
        }
        // Solve fisher z = e (e: -1 at a, +1 at b); the width's variance is e . z.
        double z[kBarParameters] = {0.0, 0.0, 0.0, -1.0, 1.0, 0.0};
        const double e[kBarParameters] = {0.0, 0.0, 0.0, -1.0, 1.0, 0.0};
        for (int c = 0; c < kBarParameters; ++c) {
            int pivot = c;
            for (int r = c + 1; r < kBarParameters; ++r) {
                pivot = std::fabs(fisher[r][c]) > std::fabs(fisher[pivot][c]) ? r : pivot;
            }
            std::swap(fisher[c], fisher[pivot]);
            std::swap(z[c], z[pivot]);
            for (int r = 0; r < kBarParameters; ++r) {
                if (r != c) {
                    const double f = fisher[r][c] / fisher[c][c];
                    for (int k = c; k < kBarParameters; ++k) {
                        fisher[r][k] -= f * fisher[c][k];
                    }
                    z[r] -= f * z[c];
                }
            }
        }
        double variance = 0.0;
        for (int k = 0; k < kBarParameters; ++k) {
            variance += e[k] * z[k] / fisher[k][k];
        }
        sumSquares += variance;
    }
    return std::sqrt((noise * noise + kRoundingVariance) * sumSquares / kBarPhases);
}

// One row of the bar study: the errors of the widths measured and the bars not resolved.
struct BarRow {
    ErrorStats errors;
    int unresolved = 0;
    void Add(const OCaliperPairResult& result, double width) {
        if (result.Ok()) {
            errors.Add(result.pairs[0].width - width);
        } else if (result.status == OCaliperStatus::NotResolved) {
            ++unresolved;
        } else {
            errors.Fail();
        }
    }
};

void PrintCaliperPairStudy() {
    std::printf("### Precision calipers: widths of narrow bars\n\n");
    std::printf(
        "%d bright bars per row (blur 1, contrast %.0f) at random angles and sub-pixel "
        "positions; a caliper of width 9 across each, sigma 1, pair rising then falling, the "
        "blur fitted (the default) or given as known (1 px) on the same images. Error: measured "
        "minus true width. CRB: the Cramer-Rao bound of the width from the pixels under the "
        "caliper, the rounding to bytes counted as noise of 1/12 grey level squared (at noise 0 "
        "the largest of %d errors is expected near 2.8 times it).\n\n",
        kBarTrials, kBright - kDark, kBarTrials);
    std::printf(
        "| Width (px) | Noise | Blur | Bias (px) | RMS (px) | Max (px) | CRB (px) | Not resolved | "
        "Failed |\n");
    std::printf("|---:|---:|---|---:|---:|---:|---:|---:|---:|\n");
    for (const double width : kBarWidths) {
        for (int noiseIndex = 0; noiseIndex < 2; ++noiseIndex) {
            const double noise = kNoiseLevels[noiseIndex];
            BarRow rows[2];  // blur fitted, blur known
            std::mt19937 random(Seed(5, noiseIndex, static_cast<int>(width)));
            std::uniform_real_distribution<double> unit(0.0, 1.0);
            for (int trial = 0; trial < kBarTrials; ++trial) {
                const double angle = 2.0 * kPi * unit(random);
                const Bar bar{
                    {kBarImageSize / 2.0 + unit(random), kBarImageSize / 2.0 + unit(random)},
                    {std::cos(angle), std::sin(angle)},
                    width,
                    kBarBlur};
                comparison::SharedGreyImage image(kBarImageSize, kBarImageSize);
                comparison::RenderFractions(image, bar, kDark, kBright, noise,
                                            Seed(5, noiseIndex, trial + 1));
                const double half = 0.5 * width + kBarReach;
                const OCaliperLine line{bar.p.x - half * bar.n.x, bar.p.y - half * bar.n.y,
                                        bar.p.x + half * bar.n.x, bar.p.y + half * bar.n.y,
                                        kBarCaliperWidth};
                OCaliperPairSettings settings;
                settings.threshold = kCaliperThreshold;
                const OType_Image view(kBarImageSize, kBarImageSize, image.Data(), kBarImageSize);
                rows[0].Add(OCaliper::MeasurePairs(view, line, settings), width);
                settings.blur = kBarBlur;
                rows[1].Add(OCaliper::MeasurePairs(view, line, settings), width);
            }
            for (int known = 0; known < 2; ++known) {
                const BarRow& row = rows[known];
                std::printf("| %.0f | %.0f | %s | %s | %.4f | %d | %d |\n", width, noise,
                            known ? "known" : "fitted", row.errors.Cells(4).c_str(),
                            WidthBound(width, noise, kBarReach, known != 0), row.unresolved,
                            row.errors.Failures());
            }
        }
    }
    std::printf("\n");
}

}  // namespace

// Without an argument every part; "calipers" or "metrology" runs that part alone.
int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    if (only.empty()) {
        PrintEdgeStudy();
        PrintCircleStudy();
        PrintLineStudy();
    }
    if (only.empty() || only == "calipers") {
        PrintCaliperEdgeStudy();
        PrintCaliperPairStudy();
    }
    if (only.empty() || only == "metrology") {
        PrintMetrologyStudy();
    }
    return 0;
}

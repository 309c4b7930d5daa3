#pragma once
// What the OpenCV comparisons and the accuracy study share: grey images that both libraries read
// from the same bytes, synthetic scenes of known truth, and point sets with outliers.
//
// Coordinates are the library's: pixel i covers [i, i + 1) and its centre is i + 0.5. A scene is
// a continuous function of (x, y); a pixel's grey value is the mean of the scene over the pixel
// (kSuperSamples x kSuperSamples samples), so the scene's own edge positions are the truth. OpenCV
// names pixels by their integer index with the centre at the index itself: a pixel (i, j) that an
// OpenCV routine reports lies at (i + 0.5, j + 0.5) here. Points (edge positions, fit input) are
// handed to OpenCV unchanged, as float coordinates in the same frame.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include <opencv2/core.hpp>

#include "circlefit/OCircleFit.h"
#include "circlefit/OCircleFit_OutlierFilter.h"
#include "foundation/Angles.h"
#include "foundation/OFastArrayList.h"
#include "foundation/OType_Image.h"
#include "foundation/OVector_Array.h"
#include "regression/OVector_Regression.h"

namespace comparison {

using angles::kPi;
constexpr int kGreyMax = 255;
// Samples per pixel side when a scene is rendered: 4 x 4 = 16 per pixel.
constexpr int kSuperSamples = 4;
// Beyond this many blur sigmas from an edge a blurred step is flat to far below a grey level, so
// a pixel there needs one sample instead of kSuperSamples squared.
constexpr double kFlatBeyondSigmas = 5.0;

// An 8-bit grey image that the library (OType_Image view) and OpenCV (cv::Mat header) read from
// the same bytes, without a copy.
class SharedGreyImage {
  public:
    SharedGreyImage(int width, int height)
        : m_width(width),
          m_height(height),
          m_pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {}

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    unsigned char* Data() { return m_pixels.data(); }
    unsigned char& At(int x, int y) {
        return m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                        static_cast<std::size_t>(x)];
    }
    cv::Mat Mat() { return cv::Mat(m_height, m_width, CV_8UC1, m_pixels.data()); }
    std::shared_ptr<OType_Image> Library() {
        return std::make_shared<OType_Image>(m_width, m_height, m_pixels.data(), m_width);
    }

  private:
    int m_width;
    int m_height;
    std::vector<unsigned char> m_pixels;
};

// Fraction of the bright level at signed distance d from a step edge blurred by a Gaussian of
// the given sigma: the normal distribution function of d / sigma. Positive d is the bright side.
inline double BlurredStep(double d, double blurSigma) {
    return 0.5 * std::erfc(-d / (blurSigma * std::sqrt(2.0)));
}

// Renders a scene given by its signed distance function (positive on the bright side) as a
// blurred step from `dark` to `bright`, adds Gaussian noise of `noiseSigma` grey levels (fixed
// seed) and rounds to bytes. Pixels within kFlatBeyondSigmas blur sigmas of the edge are the mean
// of kSuperSamples^2 samples; the others one sample at the centre.
template <class SignedDistance>
void RenderScene(SharedGreyImage& image, SignedDistance distance, double dark, double bright,
                 double blurSigma, double noiseSigma, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, noiseSigma > 0.0 ? noiseSigma : 1.0);
    const double flat = kFlatBeyondSigmas * blurSigma + 1.0;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            const double centre = distance(x + 0.5, y + 0.5);
            double fraction = 0.0;
            if (std::fabs(centre) > flat) {
                fraction = BlurredStep(centre, blurSigma);
            } else {
                for (int sy = 0; sy < kSuperSamples; ++sy) {
                    for (int sx = 0; sx < kSuperSamples; ++sx) {
                        fraction += BlurredStep(distance(x + (sx + 0.5) / kSuperSamples,
                                                         y + (sy + 0.5) / kSuperSamples),
                                                blurSigma);
                    }
                }
                fraction /= kSuperSamples * kSuperSamples;
            }
            double grey = dark + (bright - dark) * fraction;
            if (noiseSigma > 0.0) {
                grey += noise(random);
            }
            image.At(x, y) = static_cast<unsigned char>(
                std::clamp(std::lround(grey), long{0}, static_cast<long>(kGreyMax)));
        }
    }
}

// Renders a scene given by the fraction of the bright level at each point (for scenes that are
// not one blurred step, such as a blurred bar), every pixel the mean of kSuperSamples^2 samples,
// with Gaussian noise of `noiseSigma` grey levels (fixed seed), rounded to bytes.
template <class Fraction>
void RenderFractions(SharedGreyImage& image, Fraction fraction, double dark, double bright,
                     double noiseSigma, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, noiseSigma > 0.0 ? noiseSigma : 1.0);
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            double mean = 0.0;
            for (int sy = 0; sy < kSuperSamples; ++sy) {
                for (int sx = 0; sx < kSuperSamples; ++sx) {
                    mean +=
                        fraction(x + (sx + 0.5) / kSuperSamples, y + (sy + 0.5) / kSuperSamples);
                }
            }
            mean /= kSuperSamples * kSuperSamples;
            double grey = dark + (bright - dark) * mean;
            if (noiseSigma > 0.0) {
                grey += noise(random);
            }
            image.At(x, y) = static_cast<unsigned char>(
                std::clamp(std::lround(grey), long{0}, static_cast<long>(kGreyMax)));
        }
    }
}

// A point set in both libraries' forms: the fit lists of the library and OpenCV's float points.
struct PointSet {
    std::vector<double> x;
    std::vector<double> y;

    void Add(double px, double py) {
        x.push_back(px);
        y.push_back(py);
    }
    std::size_t Size() const { return x.size(); }
    std::vector<cv::Point2f> OpenCV() const {
        std::vector<cv::Point2f> points;
        points.reserve(x.size());
        for (std::size_t k = 0; k < x.size(); ++k) {
            points.emplace_back(static_cast<float>(x[k]), static_cast<float>(y[k]));
        }
        return points;
    }
    void FillLists(OFastArrayList<double>& listX, OFastArrayList<double>& listY) const {
        for (std::size_t k = 0; k < x.size(); ++k) {
            listX.Add(x[k]);
            listY.Add(y[k]);
        }
    }
};

// Outliers as clutter gives them: every tenth point moved 5 to 40 pixels along `direction`
// (radially for a circle, across a line), to either side.
constexpr int kOutlierEvery = 10;
constexpr double kOutlierMin = 5.0;
constexpr double kOutlierMax = 40.0;

inline double OutlierOffset(std::mt19937& random) {
    std::uniform_real_distribution<double> offset(kOutlierMin, kOutlierMax);
    std::bernoulli_distribution side(0.5);
    const double magnitude = offset(random);
    return side(random) ? magnitude : -magnitude;
}

// n points at random angles of an arc (radians from 0), radial Gaussian noise, every tenth point
// an outlier.
inline PointSet CirclePoints(int n, double centreX, double centreY, double radius, double sweep,
                             double noiseSigma, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> angle(0.0, sweep);
    std::normal_distribution<double> noise(0.0, noiseSigma);
    PointSet points;
    for (int k = 0; k < n; ++k) {
        const double t = angle(random);
        double r = radius + noise(random);
        if (k % kOutlierEvery == 0) {
            r += OutlierOffset(random);
        }
        points.Add(centreX + r * std::cos(t), centreY + r * std::sin(t));
    }
    return points;
}

// n points evenly spread along a segment of the given length and direction through (x0, y0),
// Gaussian noise across the line, every tenth point an outlier.
inline PointSet LinePoints(int n, double x0, double y0, double angle, double length,
                           double noiseSigma, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, noiseSigma);
    const double dx = std::cos(angle);
    const double dy = std::sin(angle);
    PointSet points;
    for (int k = 0; k < n; ++k) {
        const double along = length * (static_cast<double>(k) / (n - 1) - 0.5);
        double across = noise(random);
        if (k % kOutlierEvery == 0) {
            across += OutlierOffset(random);
        }
        points.Add(x0 + along * dx - across * dy, y0 + along * dy + across * dx);
    }
    return points;
}

// The circle measurement as the comparisons call it: the plain procedure (mode 0, no quality
// figures, no result lists), with or without the standard-deviation filter (5 passes, band of 2
// standard deviations). `circle` is the guess on entry and the result on return.
constexpr int kCirclePlainMode = OCircleFit_OutlierFilter::kModePlain;
constexpr int kCircleFilter = OCircleFit_OutlierFilter::kFilterStdDev;
constexpr int kCircleNoFilter = OCircleFit_OutlierFilter::kFilterNone;
constexpr int kFilterPasses = 5;
constexpr double kSigmaFactor = 2.0;

inline bool MeasureCircle(OFastArrayList<double>& xs, OFastArrayList<double>& ys, bool filter,
                          OCircleFit_Circle& circle) {
    int inliers = 0;
    int outliers = 0;
    bool found[3] = {};
    double figures[17] = {};
    return OCircleFit_OutlierFilter::bComputeCircleFit(
        kCirclePlainMode, xs, ys, false, false, false, false, false,
        filter ? kCircleFilter : kCircleNoFilter, kFilterPasses, kSigmaFactor, circle, nullptr,
        nullptr, inliers, outliers, found[0], figures[0], figures[1], figures[2], figures[3],
        figures[4], found[1], figures[5], figures[6], figures[7], figures[8], figures[9], found[2],
        figures[10], figures[11], figures[12], figures[13], figures[14], figures[15], figures[16],
        {});
}

// The line measurement as the comparisons call it: mode 2 (fit along the axis of larger spread,
// no quality figures), a filter (0 none, or OVector_Regression's filter types) with 5 std-dev
// passes of 2 standard deviations, or DETSAC with an inlier distance of 2 pixels at a search
// level. The points are replaced by the inliers, as the call does.
constexpr int kLineMode = OVector_Regression::kModeOrientationBySpread;
constexpr int kLineNoFilter = OVector_Regression::kFilterNone;
constexpr int kInlierDistance = 2;

struct LineResult {
    double angle = 0.0;  // radians, direction of the line modulo pi
    OVector centre;      // raw units
    int inliers = 0;
    int outliers = 0;
};

inline bool MeasureLine(OVector_Array& points, int filter, int searchLevel, LineResult& line,
                        OVector_Array* outliers) {
    bool found = false;
    std::int64_t distance = 0;
    std::int64_t farthestX = 0;
    std::int64_t farthestY = 0;
    double footX = 0.0;
    double footY = 0.0;
    double sigmaAll = 0.0;
    double sigmaInliers = 0.0;
    return OVector_Regression::bComputeRegressionLine(
        kLineMode, points, false, false, false, filter, kFilterPasses, kSigmaFactor,
        kInlierDistance, searchLevel, line.angle, line.centre, outliers, line.inliers,
        line.outliers, found, distance, farthestX, farthestY, footX, footY, sigmaAll, sigmaInliers,
        nullptr);
}

inline void FillArray(const PointSet& points, OVector_Array& array) {
    array.RemoveAll();
    for (std::size_t k = 0; k < points.Size(); ++k) {
        array.Add(std::make_shared<OVector>(points.x[k], points.y[k]));
    }
}

}  // namespace comparison

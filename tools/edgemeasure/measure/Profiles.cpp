#include "measure/Profiles.h"

#include <algorithm>
#include <cmath>

#include "measure/EdgeSearch.h"

namespace {

// A pixel's value belongs to its centre.
constexpr double kPixelCentre = 0.5;
// The derivative kernel reaches this many sigmas to either side.
constexpr double kKernelReachSigmas = 4.0;
// Samples along the line of the profile command, in pixels.
constexpr double kLineSampleStep = 1.0;
// (v[i + 1] - v[i - 1]) / 2.
constexpr double kCentralDifferenceWeight = 0.5;

// Bilinear grey value at (x, y) in pixels, or nothing outside [0, width] x [0, height].
bool Bilinear(const OType_Image& image, double x, double y, double& value) {
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    if (!(x >= 0.0 && y >= 0.0 && x <= width && y <= height)) {
        return false;
    }
    // Within half a pixel of the border the border pixels are read (the clamp).
    const double u = std::clamp(x - kPixelCentre, 0.0, width - 1.0);
    const double v = std::clamp(y - kPixelCentre, 0.0, height - 1.0);
    const int x0 = static_cast<int>(u);
    const int y0 = static_cast<int>(v);
    const int x1 = std::min(x0 + 1, width - 1);
    const int y1 = std::min(y0 + 1, height - 1);
    const double fx = u - x0;
    const double fy = v - y0;
    const double top = image.GetPixel_Grey(x0, y0) * (1.0 - fx) + image.GetPixel_Grey(x1, y0) * fx;
    const double bottom =
        image.GetPixel_Grey(x0, y1) * (1.0 - fx) + image.GetPixel_Grey(x1, y1) * fx;
    value = top * (1.0 - fy) + bottom * fy;
    return true;
}

// The derivative-of-Gaussian weights w(j), j = -reach..reach, with sum of j * w(j) = 1 so that a
// ramp of slope 1 per sample gives 1. A sigma too small for any weight to survive the
// exponential becomes the central difference.
std::vector<double> DerivativeKernel(double sigmaSamples) {
    const int reach = std::max(1, static_cast<int>(std::ceil(kKernelReachSigmas * sigmaSamples)));
    std::vector<double> weights(static_cast<std::size_t>(2 * reach + 1), 0.0);
    double norm = 0.0;
    for (int j = -reach; j <= reach; ++j) {
        const double w = j * std::exp(-0.5 * j * j / (sigmaSamples * sigmaSamples));
        weights[static_cast<std::size_t>(j + reach)] = w;
        norm += j * w;
    }
    if (!(norm > 0.0)) {
        return {-kCentralDifferenceWeight, 0.0, kCentralDifferenceWeight};
    }
    for (double& w : weights) {
        w /= norm;
    }
    return weights;
}

// The values with every outside sample replaced by its nearest inside neighbour (the earlier one
// on a tie); all zero when no sample is inside.
std::vector<double> FilledValues(const Profile& profile) {
    const std::size_t n = profile.values.size();
    std::vector<double> filled(n, 0.0);
    std::vector<std::size_t> nearest(n, n);
    std::size_t last = n;
    for (std::size_t i = 0; i < n; ++i) {
        last = profile.outside[i] ? last : i;
        nearest[i] = last;
    }
    last = n;
    for (std::size_t i = n; i-- > 0;) {
        last = profile.outside[i] ? last : i;
        if (last != n && (nearest[i] == n || last - i < i - nearest[i])) {
            nearest[i] = last;
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        filled[i] = nearest[i] == n ? 0.0 : profile.values[nearest[i]];
    }
    return filled;
}

}  // namespace

void ComputeDerivative(Profile& profile, double sigma) {
    const std::size_t n = profile.values.size();
    profile.derivative.assign(n, 0.0);
    if (n < 2) {
        return;
    }
    // Path positions may be spaced unevenly (an arc's raster walk); the mean spacing stands for
    // all of them.
    const double step = (profile.positions.back() - profile.positions.front()) / (n - 1);
    if (!(step > 0.0)) {
        return;
    }
    const std::vector<double> kernel = DerivativeKernel(sigma / step);
    const auto reach = static_cast<std::ptrdiff_t>(kernel.size() / 2);
    const std::vector<double> filled = FilledValues(profile);
    const auto last = static_cast<std::ptrdiff_t>(n) - 1;
    for (std::ptrdiff_t i = 0; i <= last; ++i) {
        double sum = 0.0;
        for (std::ptrdiff_t j = -reach; j <= reach; ++j) {
            sum += kernel[static_cast<std::size_t>(j + reach)] *
                   filled[static_cast<std::size_t>(std::clamp(i + j, std::ptrdiff_t{0}, last))];
        }
        profile.derivative[static_cast<std::size_t>(i)] = sum / step;
    }
}

Profile SampleLineProfile(const OType_Image& image, const ProfileLine& line, double width,
                          double sigma) {
    Profile profile;
    const double dx = line.to.x - line.from.x;
    const double dy = line.to.y - line.from.y;
    const double length = std::hypot(dx, dy);
    if (!(length > 0.0) || !(width > 0.0)) {
        return profile;
    }
    const double ux = dx / length;
    const double uy = dy / length;
    const int across = static_cast<int>(std::ceil(width));
    const auto count = static_cast<std::size_t>(std::floor(length / kLineSampleStep)) + 1;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) * kLineSampleStep;
        double sum = 0.0;
        bool inside = true;
        for (int k = 0; k < across && inside; ++k) {
            // Spread evenly over the width: the centres of `across` equal parts of it.
            const double offset = ((k + kPixelCentre) / across - kPixelCentre) * width;
            double value = 0.0;
            inside = Bilinear(image, line.from.x + t * ux - offset * uy,
                              line.from.y + t * uy + offset * ux, value);
            sum += value;
        }
        profile.positions.push_back(t);
        profile.values.push_back(inside ? sum / across : 0.0);
        profile.outside.push_back(inside ? 0 : 1);
    }
    ComputeDerivative(profile, sigma);
    return profile;
}

PathProfile SamplePathProfile(const PathGeometry& geometry, const TransitionSetup& transition,
                              const std::shared_ptr<OType_Image>& image, double sigma) {
    PathProfile result;
    std::unique_ptr<OVectorPath> path = MakePath(geometry);
    if (!PrepareTransition(*path, transition, image)) {
        return result;
    }
    Profile& profile = result.profile;
    const bool arc = IsArc(geometry);
    const int count = path->GetCount();
    path->Reset();
    OVector position;
    int index = -1;
    // The raster walk ends at the path's last position; the count bounds it all the same.
    while (path->MoveNextRaster(position) && path->CurrentPos(index) && index <= count) {
        double angle = 0.0;
        path->CurrentAngle_Rad(angle);
        const int grey = image->GetPixel_Grey(position);
        const bool outside = grey == OType_Image::kNoValue;
        profile.positions.push_back(
            DistanceAlong(geometry, {position.dX(), position.dY()},
                          arc ? std::optional<double>(angle) : std::nullopt));
        profile.values.push_back(outside ? 0.0 : grey);
        profile.outside.push_back(outside ? 1 : 0);
        result.indices.push_back(index);
        result.inThreshold.push_back(path->IsInTransitionThreshold(image) ? 1 : 0);
    }
    ComputeDerivative(profile, sigma);
    return result;
}

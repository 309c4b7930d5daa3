#include "measure/Profiles.h"

#include <algorithm>
#include <cmath>

#include "caliper/OCaliper.h"
#include "measure/EdgeSearch.h"

namespace {

// The derivative kernel reaches this many sigmas to either side.
constexpr double kKernelReachSigmas = 4.0;
// (v[i + 1] - v[i - 1]) / 2.
constexpr double kCentralDifferenceWeight = 0.5;

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
std::vector<double> FilledValues(const OCaliperProfile& profile) {
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

void ComputeDerivative(OCaliperProfile& profile, double sigma) {
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

}  // namespace

OCaliperProfile SampleLineProfile(const OType_Image& image, const OCaliperLine& line,
                                  double sigma) {
    return OCaliper::SampleProfile(image, line, sigma);
}

PathProfile SamplePathProfile(const PathGeometry& geometry, const TransitionSetup& transition,
                              const std::shared_ptr<OType_Image>& image, double sigma) {
    PathProfile result;
    std::unique_ptr<OVectorPath> path = MakePath(geometry);
    if (!PrepareTransition(*path, transition, image)) {
        return result;
    }
    OCaliperProfile& profile = result.profile;
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
        profile.values.push_back(outside ? std::nan("") : grey);
        profile.outside.push_back(outside ? 1 : 0);
        result.indices.push_back(index);
        result.inThreshold.push_back(path->IsInTransitionThreshold(image) ? 1 : 0);
    }
    ComputeDerivative(profile, sigma);
    const bool anyOutside =
        std::find(profile.outside.begin(), profile.outside.end(), 1) != profile.outside.end();
    const bool allOutside =
        std::find(profile.outside.begin(), profile.outside.end(), 0) == profile.outside.end();
    profile.status = allOutside   ? OCaliperStatus::OutsideImage
                     : anyOutside ? OCaliperStatus::PartlyOutsideImage
                                  : OCaliperStatus::Ok;
    return result;
}

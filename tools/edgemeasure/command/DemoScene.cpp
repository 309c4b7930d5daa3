#include "command/DemoScene.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "foundation/Angles.h"

namespace {

constexpr double kGreyMax = 255.0;
// The blur kernel reaches this many sigmas on either side.
constexpr double kKernelSigmas = 3.0;

// The grey value of the scene at a point, before blur and noise.
double SceneGrey(const DemoScene& s, double x, double y) {
    const bool inBurr = y >= s.burrTop && y < s.burrBottom;
    const double rightX = s.EdgeXAt(y) + (inBurr ? s.burrDepth : 0.0);
    const bool onPlate = x >= s.plateMinX && x < rightX && y >= s.plateMinY && y < s.plateMaxY;
    if (!onPlate) {
        return s.background;
    }
    const double dx = x - s.holeCentre.x;
    const double dy = y - s.holeCentre.y;
    const bool inHole = dx * dx + dy * dy < s.holeRadius * s.holeRadius;
    const bool inSlot = x >= s.slotLeft && x < s.slotRight && y >= s.slotTop && y < s.slotBottom;
    if (inHole || inSlot) {
        return s.dark;
    }
    return s.plateLeft + (s.plateRight - s.plateLeft) * x / s.width;
}

// Each pixel the mean of the scene over its area, by kSupersampling^2 samples.
std::vector<double> Coverage(const DemoScene& s) {
    std::vector<double> grey(static_cast<std::size_t>(s.width) *
                             static_cast<std::size_t>(s.height));
    const double step = 1.0 / kSupersampling;
    for (int py = 0; py < s.height; ++py) {
        for (int px = 0; px < s.width; ++px) {
            double sum = 0.0;
            for (int j = 0; j < kSupersampling; ++j) {
                for (int i = 0; i < kSupersampling; ++i) {
                    sum += SceneGrey(s, px + (i + 0.5) * step, py + (j + 0.5) * step);
                }
            }
            grey[static_cast<std::size_t>(py) * static_cast<std::size_t>(s.width) +
                 static_cast<std::size_t>(px)] = sum / (kSupersampling * kSupersampling);
        }
    }
    return grey;
}

std::vector<double> GaussKernel(double sigma) {
    const int radius = static_cast<int>(std::ceil(kKernelSigmas * sigma));
    std::vector<double> kernel(static_cast<std::size_t>(2 * radius + 1));
    double sum = 0.0;
    for (int k = -radius; k <= radius; ++k) {
        const double weight = std::exp(-0.5 * k * k / (sigma * sigma));
        kernel[static_cast<std::size_t>(k + radius)] = weight;
        sum += weight;
    }
    for (double& weight : kernel) {
        weight /= sum;
    }
    return kernel;
}

// One pass of a separable blur along x (stride 1) or y (stride width), the border repeated.
std::vector<double> BlurPass(const std::vector<double>& in, int width, int height,
                             const std::vector<double>& kernel, bool alongX) {
    const int radius = static_cast<int>(kernel.size() / 2);
    std::vector<double> out(in.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double sum = 0.0;
            for (int k = -radius; k <= radius; ++k) {
                const int sx = alongX ? std::clamp(x + k, 0, width - 1) : x;
                const int sy = alongX ? y : std::clamp(y + k, 0, height - 1);
                sum += kernel[static_cast<std::size_t>(k + radius)] *
                       in[static_cast<std::size_t>(sy) * static_cast<std::size_t>(width) +
                          static_cast<std::size_t>(sx)];
            }
            out[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x)] = sum;
        }
    }
    return out;
}

// Standard normal numbers from the Mersenne Twister's raw 32-bit output by Box and Muller: the
// engine is the same everywhere, unlike the standard library's distributions.
class NormalNoise {
  public:
    explicit NormalNoise(std::uint32_t seed) : m_engine(seed) {}
    double Next() {
        constexpr double kTwoTo32 = 4294967296.0;
        const double u1 = (static_cast<double>(m_engine()) + 1.0) / (kTwoTo32 + 1.0);  // (0, 1)
        const double u2 = static_cast<double>(m_engine()) / kTwoTo32;                  // [0, 1)
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * angles::kPi * u2);
    }

  private:
    std::mt19937 m_engine;
};

}  // namespace

double DemoScene::EdgeXAt(double y) const {
    return edgeX + (y - edgeY) * std::tan(angles::RadiansFromDegrees(edgeTiltDeg));
}

double DemoScene::EdgeAngleRad() const {
    // The edge runs along (tan t, 1): down the image, leaning right.
    return std::atan2(1.0, std::tan(angles::RadiansFromDegrees(edgeTiltDeg)));
}

OType_Image RenderDemoScene(const DemoScene& scene) {
    const std::vector<double> kernel = GaussKernel(scene.blurSigma);
    const std::vector<double> blurred =
        BlurPass(BlurPass(Coverage(scene), scene.width, scene.height, kernel, true), scene.width,
                 scene.height, kernel, false);
    NormalNoise noise(scene.seed);
    std::vector<unsigned char> pixels(blurred.size());
    for (std::size_t i = 0; i < blurred.size(); ++i) {
        const double value = blurred[i] + scene.noiseSigma * noise.Next();
        pixels[i] = static_cast<unsigned char>(std::lround(std::clamp(value, 0.0, kGreyMax)));
    }
    return OType_Image(scene.width, scene.height, std::move(pixels));
}

namespace {

// Nominal positions: whole pixels near the true ones; lines through pixel centres (+0.5).
constexpr double kCentre = 0.5;
constexpr double kSlotMargin = 30.0;     // the pair's line starts and ends this far outside
constexpr double kEdgeBefore = 50.0;     // the parallel lines start on the plate...
constexpr double kEdgeAfter = 60.0;      // ...and end on the background
constexpr double kEdgeFirstLine = 20.0;  // below the plate's top
constexpr int kEdgeLines = 25;
constexpr double kEdgeSpacing = 16.0;
constexpr int kHoleLines = 36;

// The layouts both jobs share, as an engineer lays them: the slot's line across its middle and
// the edge's parallel lines from the plate onto the background.
nlohmann::ordered_json SlotLine(const DemoScene& s) {
    const double slotY = std::floor((s.slotTop + s.slotBottom) / 2.0) + kCentre;
    return {{"from", {std::floor(s.slotLeft) - kSlotMargin + kCentre, slotY}},
            {"to", {std::ceil(s.slotRight) + kSlotMargin + kCentre, slotY}}};
}

nlohmann::ordered_json EdgeLines(const DemoScene& s) {
    const double edgeNominal = std::floor(s.edgeX);
    const double edgeTopY = s.plateMinY + kEdgeFirstLine + kCentre;
    return {{"from", {edgeNominal - kEdgeBefore + kCentre, edgeTopY}},
            {"to", {edgeNominal + kEdgeAfter + kCentre, edgeTopY}},
            {"count", kEdgeLines},
            {"step", {0, kEdgeSpacing}}};
}

// The hole's radial lines about a nominal centre at a pixel centre, from `inner` to `outer`.
nlohmann::ordered_json HoleLines(const DemoScene& s, double inner, double outer) {
    return {
        {"center", {std::floor(s.holeCentre.x) + kCentre, std::floor(s.holeCentre.y) + kCentre}},
        {"inner", inner},
        {"outer", outer},
        {"count", kHoleLines}};
}

}  // namespace

nlohmann::ordered_json DemoJobJson(const DemoScene& s, const std::string& imageName) {
    using json = nlohmann::ordered_json;
    // Calipers of 40 x 5 px across the hole's nominal rim; one 41 px wide across the slot, which
    // is far longer than that; 5 px wide across the edge, 16 px apart.
    constexpr double kHoleReach = 20.0;
    constexpr double kSlotCaliperWidth = 41.0;
    constexpr double kCaliperWidth = 5.0;
    const double holeRadius = std::round(s.holeRadius);
    return {{"image", imageName},
            {"measurements",
             json::array({
                 {{"name", "hole"},
                  {"kind", "circle"},
                  {"method", "caliper"},
                  {"radial", HoleLines(s, holeRadius - kHoleReach, holeRadius + kHoleReach)},
                  {"caliper", {{"width", kCaliperWidth}}},
                  {"search", {{"polarity", "rising"}}},
                  {"fit", {{"filter", "stddev"}}}},
                 {{"name", "slot"},
                  {"kind", "edges"},
                  {"method", "caliper"},
                  {"line", SlotLine(s)},
                  {"caliper", {{"width", kSlotCaliperWidth}}},
                  {"search",
                   {{"mode", "pair"},
                    {"first", {{"polarity", "falling"}}},
                    {"second", {{"polarity", "rising"}}}}}},
                 {{"name", "edge"},
                  {"kind", "line"},
                  {"method", "caliper"},
                  {"parallel", EdgeLines(s)},
                  {"caliper", {{"width", kCaliperWidth}}},
                  {"search", {{"polarity", "falling"}}},
                  {"fit", {{"filter", "detsac"}, {"inlier_distance", 2}, {"search_level", 4}}}},
             })}};
}

nlohmann::ordered_json DemoPathJobJson(const DemoScene& s, const std::string& imageName) {
    using json = nlohmann::ordered_json;
    // Band threshold halfway between the dark features and the plate.
    const int threshold =
        static_cast<int>(std::lround((s.dark + (s.plateLeft + s.plateRight) / 2.0) / 2.0));
    const json transition = {{"type", "band"}, {"low", 0}, {"high", threshold}};
    constexpr double kHoleInner = 0.4;  // radial lines from 0.4 to 1.5 nominal radii
    constexpr double kHoleOuter = 1.5;
    const double holeRadius = std::round(s.holeRadius);
    return {
        {"image", imageName},
        {"measurements",
         json::array({
             {{"name", "hole"},
              {"kind", "circle"},
              {"method", "path"},
              {"radial", HoleLines(s, std::round(kHoleInner * holeRadius),
                                   std::round(kHoleOuter * holeRadius))},
              {"transition", transition},
              {"search", {{"mode", "first"}, {"polarity", "leaving"}}},
              {"subpixel", true},
              {"fit",
               {{"mode", 3}, {"filter", "stddev"}, {"iterations", 5}, {"sigma_factor", 2.0}}}},
             {{"name", "slot"},
              {"kind", "edges"},
              {"method", "path"},
              {"line", SlotLine(s)},
              {"transition", transition},
              {"search",
               {{"mode", "pair"},
                {"first", {{"polarity", "entering"}}},
                {"second", {{"polarity", "leaving"}}}}},
              {"subpixel", true}},
             {{"name", "edge"},
              {"kind", "line"},
              {"method", "path"},
              {"parallel", EdgeLines(s)},
              {"transition", transition},
              {"search", {{"mode", "first"}, {"polarity", "entering"}}},
              {"subpixel", true},
              {"fit",
               {{"mode", 3}, {"filter", "detsac"}, {"inlier_distance", 2}, {"search_level", 4}}}},
         })}};
}

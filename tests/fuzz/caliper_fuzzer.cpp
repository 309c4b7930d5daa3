// Fuzz target: OCaliper on arbitrary images, regions and settings, 8 and 16 bits, lines and arcs,
// edges, pairs and profiles.
//
// Input: a selector byte (bit 0: 16 bits, bit 1: arc, bits 2-3: edges, pairs or profile), the
// image's width, height and stride slack (bytes), the region (Double draws: line start, end,
// width, a flag and the step; or arc centre, radius, start, sweep, width, flag and step), the
// settings (sigma, threshold, then polarity, selection and n, or the pair's polarities,
// selection, minimum width, a flag and the maximum), then the pixels, row by row, until the bytes
// run out (zero after). Rules that hold for every input:
// - an empty result has a status other than Ok, a full one Ok; pairs and edges lie in axis order;
// - every reported number is finite except an uncertainty, which is NaN or at least 0; scores lie
//   in [0, 1], positions in [0, length of the axis], amplitudes have the asked polarity;
// - a pair's width is its second edge's position less its first's, inside the width range;
// - a 16-bit view whose stride is below its width is an empty image;
// - a profile has one position, value, derivative and flag per sample when it could be sampled.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "FuzzInput.h"
#include "caliper/OCaliper.h"

namespace {

constexpr int kMaxSide = 64;
constexpr double kSlack = 1e-9;  // relative, for positions compared with the axis length

bool Finite(double v) {
    return std::isfinite(v);
}

OCaliperPolarity PolarityFrom(std::uint8_t code) {
    return static_cast<OCaliperPolarity>(code % 3);
}

void CheckEdge(const OCaliperEdge& e, double length, double slack, OCaliperPolarity polarity) {
    FuzzRequire(Finite(e.x) && Finite(e.y) && Finite(e.position) && Finite(e.amplitude),
                "edge numbers not finite");
    FuzzRequire(std::isnan(e.sigma) || e.sigma >= 0.0, "negative uncertainty");
    FuzzRequire(e.score >= 0.0 && e.score <= 1.0, "score outside [0, 1]");
    FuzzRequire(e.position >= -slack && e.position <= length + slack, "edge beyond the axis");
    FuzzRequire(polarity == OCaliperPolarity::Any ||
                    (polarity == OCaliperPolarity::Rising) == (e.amplitude > 0.0),
                "edge of the other polarity");
}

// Everything drawn before the pixels.
struct Draws {
    bool arc = false;
    int mode = 0;  // 0 edges, 1 pairs, 2 profile
    OCaliperLine line;
    OCaliperArc arcRegion;
    double sigma = 1.0;
    OCaliperEdgeSettings edges;
    OCaliperPairSettings pairs;

    double Length() const {
        return arc ? std::fabs(arcRegion.sweep) * arcRegion.radius
                   : std::hypot(line.endX - line.startX, line.endY - line.startY);
    }
};

Draws DrawParameters(FuzzInput& in, bool arc, int mode) {
    Draws d;
    d.arc = arc;
    d.mode = mode;
    if (arc) {
        d.arcRegion = {in.Double(), in.Double(), in.Double(), in.Double(),
                       in.Double(), in.Double(), 1.0};
        d.arcRegion.step = in.Bool() ? in.Double() : 1.0;
    } else {
        d.line = {in.Double(), in.Double(), in.Double(), in.Double(), in.Double(), 1.0};
        d.line.step = in.Bool() ? in.Double() : 1.0;
    }
    d.sigma = in.Double();
    const double threshold = in.Double();
    d.edges.sigma = d.pairs.sigma = d.sigma;
    d.edges.threshold = d.pairs.threshold = threshold;
    if (mode == 1) {
        d.pairs.firstPolarity = PolarityFrom(in.U8());
        d.pairs.secondPolarity = PolarityFrom(in.U8());
        d.pairs.selection = static_cast<OCaliperPairSelection>(in.U8() % 4);
        d.pairs.minWidth = in.Double();
        if (in.Bool()) {
            d.pairs.maxWidth = in.Double();
        }
    } else if (mode == 0) {
        d.edges.polarity = PolarityFrom(in.U8());
        d.edges.selection = static_cast<OCaliperSelection>(in.U8() % 5);
        d.edges.n = in.Int();
    }
    return d;
}

template <class Image, class Region>
void Measure(const Image& image, const Region& region, const Draws& d) {
    const double length = d.Length();
    const double slack = kSlack * (1.0 + length);
    if (d.mode == 2) {
        const OCaliperProfile profile = OCaliper::SampleProfile(image, region, d.sigma);
        const std::size_t n = profile.positions.size();
        FuzzRequire(profile.values.size() == n && profile.derivative.size() == n &&
                        profile.outside.size() == n,
                    "profile arrays of different lengths");
        FuzzRequire((n > 0) == (profile.status == OCaliperStatus::Ok ||
                                profile.status == OCaliperStatus::PartlyOutsideImage ||
                                profile.status == OCaliperStatus::OutsideImage),
                    "profile without samples or samples without a sampled status");
        return;
    }
    if (d.mode == 1) {
        const OCaliperPairSettings& s = d.pairs;
        const OCaliperPairResult r = OCaliper::MeasurePairs(image, region, s);
        FuzzRequire(r.Ok() == !r.pairs.empty(), "status and pairs disagree");
        double previous = -1.0;
        for (const OCaliperPair& p : r.pairs) {
            CheckEdge(p.first, length, slack, s.firstPolarity);
            CheckEdge(p.second, length, slack, s.secondPolarity);
            FuzzRequire(p.width == p.second.position - p.first.position, "width is not the gap");
            FuzzRequire(p.width >= s.minWidth - slack && p.width <= s.maxWidth + slack,
                        "width outside the range");
            FuzzRequire(p.first.position >= previous, "pairs out of order");
            FuzzRequire(p.score >= 0.0 && p.score <= 1.0, "pair score outside [0, 1]");
            previous = p.first.position;
        }
        return;
    }
    const OCaliperEdgeSettings& s = d.edges;
    const OCaliperEdgeResult r = OCaliper::MeasureEdges(image, region, s);
    FuzzRequire(r.Ok() == !r.edges.empty(), "status and edges disagree");
    double previous = -1.0;
    for (const OCaliperEdge& e : r.edges) {
        CheckEdge(e, length, slack, s.polarity);
        FuzzRequire(e.position >= previous, "edges out of order");
        previous = e.position;
    }
}

template <class Image>
void MeasureRegion(const Image& image, const Draws& d) {
    if (d.arc) {
        Measure(image, d.arcRegion, d);
    } else {
        Measure(image, d.line, d);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t selector = in.U8();
    const bool wide = (selector & 1u) != 0;
    const int width = in.U8() % (kMaxSide + 1);
    const int height = in.U8() % (kMaxSide + 1);
    const int stride = width + in.U8() % 4 - 1;  // one short of the row up to two beyond
    const Draws draws = DrawParameters(in, (selector & 2u) != 0, (selector >> 2) % 3);
    // The pixels: the remaining bytes, row by row (two per pixel in 16 bits), zero after.
    const std::size_t cells =
        static_cast<std::size_t>(std::max(stride, 0)) * static_cast<std::size_t>(height);
    if (wide) {
        std::vector<std::uint16_t> pixels(cells);
        for (std::uint16_t& pixel : pixels) {
            pixel = static_cast<std::uint16_t>(in.U8() | (in.U8() << 8));
        }
        const OType_Image16 image(width, height, pixels.data(), stride);
        FuzzRequire(image.IsEmpty() == (width < 1 || height < 1 || stride < width),
                    "a view is empty exactly when its sizes or stride are bad");
        MeasureRegion(image, draws);
    } else {
        std::vector<unsigned char> pixels(cells);
        for (unsigned char& pixel : pixels) {
            pixel = in.U8();
        }
        MeasureRegion(OType_Image(width, height, pixels.data(), stride), draws);
    }
    return 0;
}

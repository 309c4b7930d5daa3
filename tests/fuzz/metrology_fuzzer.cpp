// Fuzz target: OMetrology's tools on arbitrary images and settings (8 and 16 bits), and its fits
// on arbitrary edge points.
//
// Input: a selector byte (bit 0: 16 bits; bits 1-3: find circle, find line, measure width, fit
// circle, fit line), the image's width, height and stride slack, the tool's settings (FuzzInput
// draws in the order of the settings structs) or, for the fits, a count and that many edges
// (x, y, sigma), then the pixels row by row until the bytes run out (zero after). Rakes of more
// than kMaxFuzzCalipers calipers are cut to that many, so that an input stays fast. Rules that
// hold for every input:
// - the reason is never empty; a result that is not Ok carries a zero figure;
// - an Ok figure is finite, its uncertainties NaN or at least 0, at least as many edges kept as
//   it needs, kept + rejected = the calipers that found something, and only those are kept;
// - the found fraction lies in [0, 1]; a width lies between the smallest and largest kept width.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "metrology/OMetrology.h"

namespace {

constexpr int kMaxSide = 64;
constexpr int kMaxFuzzCalipers = 64;
constexpr int kMaxFitEdges = 40;

bool Finite(double v) {
    return std::isfinite(v);
}

bool Uncertainty(double v) {
    return std::isnan(v) || v >= 0.0;
}

int Count(FuzzInput& in) {
    const int n = in.Int();
    return n > kMaxFuzzCalipers && n <= kMaxCalipers ? kMaxFuzzCalipers : n;
}

OCaliperEdgeSettings EdgeSettings(FuzzInput& in) {
    OCaliperEdgeSettings s;
    s.sigma = in.Double();
    s.threshold = in.Double();
    s.polarity = static_cast<OCaliperPolarity>(in.U8() % 3);
    s.selection = static_cast<OCaliperSelection>(in.U8() % 5);
    s.n = in.Int();
    return s;
}

OCircleFitSettings CircleFit(FuzzInput& in) {
    OCircleFitSettings s;
    s.filter = in.Bool();
    s.filterPasses = in.Int();
    s.sigmaFactor = in.Double();
    s.clipFactor = in.Double();
    return s;
}

OLineFitSettings LineFit(FuzzInput& in) {
    OLineFitSettings s;
    s.filter = static_cast<OLineFilter>(in.U8() % 4);
    s.inlierDistance = in.Int();
    s.searchLevel = in.Int();
    s.filterPasses = in.Int();
    s.sigmaFactor = in.Double();
    s.refit = in.Bool() ? OLineRefit::Regression : OLineRefit::Geometric;
    s.clipFactor = in.Double();
    return s;
}

// The rules every rake result keeps; `needed` edges make a figure.
template <class Caliper>
void CheckRake(bool ok, const std::string& reason, const std::vector<Caliper>& calipers,
               double foundFraction, int kept, int rejected, int needed) {
    FuzzRequire(!reason.empty(), "no reason");
    FuzzRequire(foundFraction >= 0.0 && foundFraction <= 1.0, "found fraction outside [0, 1]");
    if (!ok) {
        return;
    }
    int found = 0;
    int keptFound = 0;
    for (const Caliper& c : calipers) {
        found += c.Found() ? 1 : 0;
        FuzzRequire(!c.kept || c.Found(), "a caliper without an edge is kept");
        keptFound += c.kept ? 1 : 0;
    }
    FuzzRequire(kept + rejected == found && kept == keptFound, "kept and rejected do not add up");
    FuzzRequire(kept >= needed, "fewer kept edges than the figure needs");
}

void CheckCircle(const OFindCircleResult& r) {
    CheckRake(r.Ok(), r.reason, r.calipers, r.foundFraction, r.keptCount, r.rejectedCount, 3);
    if (!r.Ok()) {
        FuzzRequire(r.radius == 0.0 && r.centerX == 0.0 && r.centerY == 0.0,
                    "failed with a figure");
        return;
    }
    FuzzRequire(Finite(r.centerX) && Finite(r.centerY) && Finite(r.radius) && r.radius > 0.0,
                "circle not finite");
    FuzzRequire(Uncertainty(r.centerXSigma) && Uncertainty(r.centerYSigma) &&
                    Uncertainty(r.radiusSigma) && Finite(r.rms),
                "bad circle uncertainty");
}

void CheckLine(const OFindLineResult& r) {
    CheckRake(r.Ok(), r.reason, r.calipers, r.foundFraction, r.keptCount, r.rejectedCount, 2);
    if (!r.Ok()) {
        FuzzRequire(r.angle == 0.0 && r.pointX == 0.0 && r.pointY == 0.0, "failed with a figure");
        return;
    }
    FuzzRequire(Finite(r.pointX) && Finite(r.pointY) && Finite(r.angle), "line not finite");
    FuzzRequire(Uncertainty(r.angleSigma) && Uncertainty(r.offsetSigma) && Finite(r.rms),
                "bad line uncertainty");
}

void CheckWidth(const OMeasureWidthResult& r) {
    CheckRake(r.Ok(), r.reason, r.calipers, r.foundFraction, r.keptCount, r.rejectedCount, 1);
    if (!r.Ok()) {
        FuzzRequire(r.width == 0.0, "failed with a width");
        return;
    }
    FuzzRequire(Finite(r.width) && Uncertainty(r.widthSigma) && Finite(r.spread),
                "width not finite");
    const double slack = 1e-9 * (1.0 + std::fabs(r.width));
    FuzzRequire(r.width >= r.minWidth - slack && r.width <= r.maxWidth + slack,
                "width outside the kept widths");
}

template <class Image>
void RunTool(const Image& image, int tool, FuzzInput& in) {
    if (tool == 0) {
        OFindCircleSettings s;
        s.centerX = in.Double();
        s.centerY = in.Double();
        s.radius = in.Double();
        s.startAngle = in.Double();
        s.sweep = in.Double();
        s.calipers = Count(in);
        s.caliperLength = in.Double();
        s.caliperWidth = in.Double();
        s.search = in.Bool() ? OCircleSearch::Inwards : OCircleSearch::Outwards;
        s.edge = EdgeSettings(in);
        s.fit = CircleFit(in);
        CheckCircle(OMetrology::FindCircle(image, s));
    } else if (tool == 1) {
        OFindLineSettings s;
        s.startX = in.Double();
        s.startY = in.Double();
        s.endX = in.Double();
        s.endY = in.Double();
        s.calipers = Count(in);
        s.caliperLength = in.Double();
        s.caliperWidth = in.Double();
        s.search = in.Bool() ? OLineSearch::RightToLeft : OLineSearch::LeftToRight;
        s.edge = EdgeSettings(in);
        s.fit = LineFit(in);
        CheckLine(OMetrology::FindLine(image, s));
    } else {
        OMeasureWidthSettings s;
        s.startX = in.Double();
        s.startY = in.Double();
        s.endX = in.Double();
        s.endY = in.Double();
        s.caliperWidth = in.Double();
        s.calipers = Count(in);
        s.spacing = in.Double();
        s.pair.sigma = in.Double();
        s.pair.threshold = in.Double();
        s.pair.firstPolarity = static_cast<OCaliperPolarity>(in.U8() % 3);
        s.pair.secondPolarity = static_cast<OCaliperPolarity>(in.U8() % 3);
        s.pair.selection = static_cast<OCaliperPairSelection>(in.U8() % 4);
        s.pair.minWidth = in.Double();
        s.clipFactor = in.Double();
        CheckWidth(OMetrology::MeasureWidth(image, s));
    }
}

void RunFit(int tool, FuzzInput& in) {
    const bool circle = tool == 3;
    const OCircleFitSettings circleSettings = circle ? CircleFit(in) : OCircleFitSettings();
    const OLineFitSettings lineSettings = circle ? OLineFitSettings() : LineFit(in);
    std::vector<OCaliperEdge> edges(static_cast<std::size_t>(in.U8() % (kMaxFitEdges + 1)));
    for (OCaliperEdge& e : edges) {
        e.x = in.Double();
        e.y = in.Double();
        e.sigma = in.Double();
    }
    if (circle) {
        CheckCircle(OMetrology::FitCircle(edges, circleSettings));
    } else {
        CheckLine(OMetrology::FitLine(edges, lineSettings));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t selector = in.U8();
    const bool wide = (selector & 1u) != 0;
    const int tool = (selector >> 1) % 5;
    const int width = in.U8() % (kMaxSide + 1);
    const int height = in.U8() % (kMaxSide + 1);
    const int stride = width + in.U8() % 4 - 1;  // one short of the row up to two beyond
    if (tool >= 3) {
        RunFit(tool, in);
        return 0;
    }
    // The settings come before the pixels: draw them through a copy of the reader, then skip
    // them by drawing again from the same bytes.
    FuzzInput settings = in;
    RunTool(OType_Image(), tool, in);  // an empty image: every tool says so, and `in` moves on
    const std::size_t cells =
        static_cast<std::size_t>(std::max(stride, 0)) * static_cast<std::size_t>(height);
    if (wide) {
        std::vector<std::uint16_t> pixels(cells);
        for (std::uint16_t& pixel : pixels) {
            pixel = static_cast<std::uint16_t>(in.U8() | (in.U8() << 8));
        }
        RunTool(OType_Image16(width, height, pixels.data(), stride), tool, settings);
    } else {
        std::vector<unsigned char> pixels(cells);
        for (unsigned char& pixel : pixels) {
            pixel = in.U8();
        }
        RunTool(OType_Image(width, height, pixels.data(), stride), tool, settings);
    }
    return 0;
}

#include "metrology/OMetrology.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "caliper/OCaliper.h"
#include "metrology/MetrologyFit.h"
#include "metrology/MetrologyRake.h"

namespace {

using metrology::Correlation;
using metrology::FitPoint;

constexpr int kMinCircleEdges = 3;
constexpr int kMinLineEdges = 2;
constexpr int kMinPairs = 1;

// What the calipers of a rake answered, counted by kind.
struct Tally {
    int total = 0;
    int found = 0;
    int refused = 0;  // bad region or settings
    int empty = 0;
    int outside = 0;  // wholly or partly

    void Add(OCaliperStatus status) {
        ++total;
        switch (status) {
            case OCaliperStatus::Ok:
                ++found;
                break;
            case OCaliperStatus::BadRegion:
            case OCaliperStatus::BadSettings:
                ++refused;
                break;
            case OCaliperStatus::EmptyImage:
                ++empty;
                break;
            case OCaliperStatus::OutsideImage:
            case OCaliperStatus::PartlyOutsideImage:
                ++outside;
                break;
            case OCaliperStatus::NoEdge:
            case OCaliperStatus::NotResolved:
                break;
        }
    }
};

// The status of a rake before its fit, and its reason: Ok when at least `needed` calipers found
// what they look for.
OMetrologyStatus Judge(const Tally& t, int needed, const char* what, OCaliperStatus firstRefusal,
                       std::string& reason) {
    if (t.empty > 0) {
        reason = MetrologyStatusText(OMetrologyStatus::EmptyImage);
        return OMetrologyStatus::EmptyImage;
    }
    if (t.refused == t.total) {
        reason = std::string("bad settings: every caliper refuses them (") +
                 CaliperStatusText(firstRefusal) + ")";
        return OMetrologyStatus::BadSettings;
    }
    if (t.outside == t.total) {
        reason = "every caliper lies (at least partly) outside the image";
        return OMetrologyStatus::OutsideImage;
    }
    if (t.found < needed) {
        reason = "too few " + std::string(what) + ": " + std::to_string(t.found) + " of " +
                 std::to_string(t.total) + " calipers found one, " + std::to_string(needed) +
                 " needed";
        if (t.outside > 0) {
            reason += "; " + std::to_string(t.outside) + " lie outside the image";
        }
        return OMetrologyStatus::TooFewEdges;
    }
    return OMetrologyStatus::Ok;
}

std::string FitFailure(OMetrologyStatus status, const char* detail) {
    std::string text = MetrologyStatusText(status);
    if (detail != nullptr) {
        text += ": ";
        text += detail;
    }
    return text;
}

// The edge a caliper of a rake reports: its selection's, or with "all" the one nearest the
// caliper's middle, where the rake expects the figure.
OCaliperEdge ChosenEdge(const OCaliperEdgeResult& found, const OCaliperLine& region,
                        OCaliperSelection selection) {
    if (selection != OCaliperSelection::All || found.edges.size() == 1) {
        return found.edges.front();
    }
    const double middle =
        0.5 * std::hypot(region.endX - region.startX, region.endY - region.startY);
    return *std::min_element(found.edges.begin(), found.edges.end(),
                             [middle](const OCaliperEdge& a, const OCaliperEdge& b) {
                                 return std::fabs(a.position - middle) <
                                        std::fabs(b.position - middle);
                             });
}

template <class Image>
void MeasureRake(const Image& image, const std::vector<OCaliperLine>& regions,
                 const OCaliperEdgeSettings& settings, std::vector<OMetrologyCaliper>& calipers,
                 Tally& tally, OCaliperStatus& firstRefusal) {
    calipers.resize(regions.size());
    firstRefusal = OCaliperStatus::Ok;
    for (std::size_t k = 0; k < regions.size(); ++k) {
        OMetrologyCaliper& c = calipers[k];
        c.region = regions[k];
        const OCaliperEdgeResult found = OCaliper::MeasureEdges(image, c.region, settings);
        c.status = found.status;
        if (found.Ok()) {
            c.edge = ChosenEdge(found, c.region, settings.selection);
        }
        if (firstRefusal == OCaliperStatus::Ok &&
            (c.status == OCaliperStatus::BadRegion || c.status == OCaliperStatus::BadSettings)) {
            firstRefusal = c.status;
        }
        tally.Add(c.status);
    }
}

// The found edges as fit points, and for each the caliper it came from.
void FoundPoints(const std::vector<OMetrologyCaliper>& calipers, std::vector<FitPoint>& points,
                 std::vector<std::size_t>& owner) {
    for (std::size_t k = 0; k < calipers.size(); ++k) {
        if (calipers[k].Found()) {
            points.push_back({calipers[k].edge.x, calipers[k].edge.y, calipers[k].edge.sigma});
            owner.push_back(k);
        }
    }
}

// Correlations between calipers, re-indexed to the points of the found ones.
std::vector<Correlation> PointCorrelations(const std::vector<Correlation>& between,
                                           const std::vector<std::size_t>& owner,
                                           std::size_t calipers) {
    std::vector<std::size_t> point(calipers, calipers);
    for (std::size_t i = 0; i < owner.size(); ++i) {
        point[owner[i]] = i;
    }
    std::vector<Correlation> result;
    for (const Correlation& c : between) {
        if (point[c.i] < calipers && point[c.j] < calipers) {
            result.push_back({point[c.i], point[c.j], c.rho});
        }
    }
    return result;
}

void SetKept(const std::vector<std::uint8_t>& kept, const std::vector<double>& residuals,
             const std::vector<std::size_t>& owner, std::vector<OMetrologyCaliper>& calipers,
             int& keptCount, int& rejectedCount) {
    keptCount = 0;
    rejectedCount = 0;
    for (std::size_t i = 0; i < owner.size(); ++i) {
        OMetrologyCaliper& c = calipers[owner[i]];
        c.kept = kept.empty() ? false : kept[i] != 0;
        c.residual = i < residuals.size() ? residuals[i] : 0.0;
        ++(c.kept ? keptCount : rejectedCount);
    }
}

double Fraction(const Tally& t) {
    return t.total > 0 ? static_cast<double>(t.found) / t.total : 0.0;
}

void FillCircle(const metrology::CircleFit& fit, OFindCircleResult& result) {
    result.status = fit.status;
    if (!result.Ok()) {
        result.reason = FitFailure(fit.status, fit.detail);
        return;
    }
    result.reason = MetrologyStatusText(OMetrologyStatus::Ok);
    result.centerX = fit.cx;
    result.centerY = fit.cy;
    result.radius = fit.r;
    std::copy(&fit.covariance[0][0], &fit.covariance[0][0] + 9, &result.covariance[0][0]);
    result.centerXSigma = std::sqrt(fit.covariance[0][0]);
    result.centerYSigma = std::sqrt(fit.covariance[1][1]);
    result.radiusSigma = std::sqrt(fit.covariance[2][2]);
    result.rms = fit.rms;
}

void FillLine(const metrology::LineFit& fit, OFindLineResult& result) {
    result.status = fit.status;
    if (!result.Ok()) {
        result.reason = FitFailure(fit.status, fit.detail);
        return;
    }
    result.reason = MetrologyStatusText(OMetrologyStatus::Ok);
    result.pointX = fit.px;
    result.pointY = fit.py;
    result.angle = fit.angle;
    result.angleSigma = fit.angleSigma;
    result.offsetSigma = fit.offsetSigma;
    result.rms = fit.rms;
}

// Measures a rake of edge calipers into the result's calipers, found fraction and status; with
// enough edges, answers true and gives their points and the caliper each came from.
template <class Image, class Result>
bool MeasureEdgeRake(const Image& image, const std::vector<OCaliperLine>& regions,
                     const OCaliperEdgeSettings& settings, int minEdges, Result& result,
                     std::vector<FitPoint>& points, std::vector<std::size_t>& owner) {
    Tally tally;
    OCaliperStatus refusal = OCaliperStatus::Ok;
    MeasureRake(image, regions, settings, result.calipers, tally, refusal);
    result.foundFraction = Fraction(tally);
    result.status = Judge(tally, minEdges, "edges", refusal, result.reason);
    if (!result.Ok()) {
        return false;
    }
    FoundPoints(result.calipers, points, owner);
    return true;
}

template <class Image>
OFindCircleResult FindCircleOn(const Image& image, const OFindCircleSettings& s) {
    OFindCircleResult result;
    const std::vector<OCaliperLine> regions = metrology::CircleRake(s);
    if (regions.empty()) {
        result.reason = "bad settings: the circle, its calipers or the fit settings out of range";
        return result;
    }
    std::vector<FitPoint> points;
    std::vector<std::size_t> owner;
    if (!MeasureEdgeRake(image, regions, s.edge, kMinCircleEdges, result, points, owner)) {
        return result;
    }
    const std::vector<Correlation> correlations =
        PointCorrelations(metrology::CircleRakeCorrelations(s), owner, regions.size());
    std::vector<double> blurs;
    for (const std::size_t k : owner) {
        blurs.push_back(result.calipers[k].edge.blur);
    }
    const metrology::CircleFit fit = metrology::FitCircle(
        points, correlations, s.fit, metrology::CaliperTangentialVariance(s.caliperWidth, blurs),
        {true, s.centerX, s.centerY, s.radius, s.caliperLength});
    FillCircle(fit, result);
    SetKept(fit.kept, fit.residuals, owner, result.calipers, result.keptCount,
            result.rejectedCount);
    return result;
}

template <class Image>
OFindLineResult FindLineOn(const Image& image, const OFindLineSettings& s) {
    OFindLineResult result;
    const std::vector<OCaliperLine> regions = metrology::LineRake(s);
    if (regions.empty()) {
        result.reason = "bad settings: the segment, its calipers or the fit settings out of range";
        return result;
    }
    std::vector<FitPoint> points;
    std::vector<std::size_t> owner;
    if (!MeasureEdgeRake(image, regions, s.edge, kMinLineEdges, result, points, owner)) {
        return result;
    }
    const std::vector<Correlation> correlations =
        PointCorrelations(metrology::LineRakeCorrelations(s), owner, regions.size());
    const metrology::LineFit fit = metrology::FitLine(points, correlations, s.fit);
    FillLine(fit, result);
    SetKept(fit.kept, fit.residuals, owner, result.calipers, result.keptCount,
            result.rejectedCount);
    return result;
}

// The pair a caliper of a width rake reports: its selection's, or with "all" the one whose centre
// lies nearest the caliper's middle.
OCaliperPair ChosenPair(const OCaliperPairResult& found, const OCaliperLine& region,
                        OCaliperPairSelection selection) {
    if (selection != OCaliperPairSelection::All || found.pairs.size() == 1) {
        return found.pairs.front();
    }
    const double middle =
        0.5 * std::hypot(region.endX - region.startX, region.endY - region.startY);
    return *std::min_element(found.pairs.begin(), found.pairs.end(),
                             [middle](const OCaliperPair& a, const OCaliperPair& b) {
                                 return std::fabs(a.centerPosition - middle) <
                                        std::fabs(b.centerPosition - middle);
                             });
}

template <class Image>
OMeasureWidthResult MeasureWidthOn(const Image& image, const OMeasureWidthSettings& s) {
    OMeasureWidthResult result;
    const std::vector<OCaliperLine> regions = metrology::WidthRake(s);
    if (regions.empty()) {
        result.reason = "bad settings: the axis, the calipers or the spacing out of range";
        return result;
    }
    Tally tally;
    OCaliperStatus refusal = OCaliperStatus::Ok;
    result.calipers.resize(regions.size());
    for (std::size_t k = 0; k < regions.size(); ++k) {
        OMetrologyPairCaliper& c = result.calipers[k];
        c.region = regions[k];
        const OCaliperPairResult found = OCaliper::MeasurePairs(image, c.region, s.pair);
        c.status = found.status;
        if (found.Ok()) {
            c.pair = ChosenPair(found, c.region, s.pair.selection);
        } else if (refusal == OCaliperStatus::Ok && (c.status == OCaliperStatus::BadRegion ||
                                                     c.status == OCaliperStatus::BadSettings)) {
            refusal = c.status;
        }
        tally.Add(c.status);
    }
    result.foundFraction = Fraction(tally);
    result.status = Judge(tally, kMinPairs, "pairs", refusal, result.reason);
    if (!result.Ok()) {
        return result;
    }
    const double cosine = metrology::RakeTiltCosine(result.calipers);
    result.tilt = std::acos(std::min(1.0, cosine));
    std::vector<double> widths;
    std::vector<double> sigmas;
    std::vector<std::size_t> owner;
    for (std::size_t k = 0; k < result.calipers.size(); ++k) {
        OMetrologyPairCaliper& c = result.calipers[k];
        if (c.Found()) {
            c.width = c.pair.width * cosine;
            widths.push_back(c.width);
            sigmas.push_back(c.pair.widthSigma * cosine);
            owner.push_back(k);
        }
    }
    const std::vector<Correlation> correlations =
        PointCorrelations(metrology::WidthRakeCorrelations(s), owner, regions.size());
    const metrology::MeanFit fit = metrology::FitMean(widths, sigmas, correlations, s.clipFactor);
    result.status = fit.status;
    if (!result.Ok()) {
        result.reason = FitFailure(fit.status, nullptr);
        return result;
    }
    result.reason = MetrologyStatusText(OMetrologyStatus::Ok);
    result.width = fit.mean;
    result.widthSigma = fit.sigma;
    result.spread = fit.spread;
    bool first = true;
    for (std::size_t i = 0; i < owner.size(); ++i) {
        OMetrologyPairCaliper& c = result.calipers[owner[i]];
        c.kept = fit.kept[i] != 0;
        ++(c.kept ? result.keptCount : result.rejectedCount);
        if (c.kept) {
            result.minWidth = first ? c.width : std::min(result.minWidth, c.width);
            result.maxWidth = first ? c.width : std::max(result.maxWidth, c.width);
            first = false;
        }
    }
    return result;
}

std::vector<FitPoint> EdgePoints(const std::vector<OCaliperEdge>& edges) {
    std::vector<FitPoint> points;
    points.reserve(edges.size());
    for (const OCaliperEdge& e : edges) {
        points.push_back({e.x, e.y, e.sigma});
    }
    return points;
}

// The caller's edges as the calipers of a result, all found; false when a coordinate is not
// finite.
bool EdgeCalipers(const std::vector<OCaliperEdge>& edges, std::vector<OMetrologyCaliper>& out) {
    out.resize(edges.size());
    for (std::size_t i = 0; i < edges.size(); ++i) {
        out[i].status = OCaliperStatus::Ok;
        out[i].edge = edges[i];
        if (!std::isfinite(edges[i].x) || !std::isfinite(edges[i].y)) {
            return false;
        }
    }
    return true;
}

std::vector<std::size_t> Identity(std::size_t n) {
    std::vector<std::size_t> owner(n);
    for (std::size_t i = 0; i < n; ++i) {
        owner[i] = i;
    }
    return owner;
}

}  // namespace

OFindCircleResult OMetrology::FindCircle(const OType_Image& image,
                                         const OFindCircleSettings& settings) {
    return FindCircleOn(image, settings);
}
OFindCircleResult OMetrology::FindCircle(const OType_Image16& image,
                                         const OFindCircleSettings& settings) {
    return FindCircleOn(image, settings);
}

OFindLineResult OMetrology::FindLine(const OType_Image& image, const OFindLineSettings& settings) {
    return FindLineOn(image, settings);
}
OFindLineResult OMetrology::FindLine(const OType_Image16& image,
                                     const OFindLineSettings& settings) {
    return FindLineOn(image, settings);
}

OMeasureWidthResult OMetrology::MeasureWidth(const OType_Image& image,
                                             const OMeasureWidthSettings& settings) {
    return MeasureWidthOn(image, settings);
}
OMeasureWidthResult OMetrology::MeasureWidth(const OType_Image16& image,
                                             const OMeasureWidthSettings& settings) {
    return MeasureWidthOn(image, settings);
}

OFindCircleResult OMetrology::FitCircle(const std::vector<OCaliperEdge>& edges,
                                        const OCircleFitSettings& settings) {
    OFindCircleResult result;
    if (!metrology::ValidCircleFitSettings(settings) || !EdgeCalipers(edges, result.calipers)) {
        result.reason = "bad settings: a fit setting out of range or an edge not finite";
        return result;
    }
    result.foundFraction = edges.empty() ? 0.0 : 1.0;
    const metrology::CircleFit fit = metrology::FitCircle(EdgePoints(edges), {}, settings, 0.0, {});
    FillCircle(fit, result);
    if (fit.status == OMetrologyStatus::TooFewEdges) {
        result.reason = "too few edges: " + std::to_string(edges.size()) + " given, 3 needed";
    }
    SetKept(fit.kept, fit.residuals, Identity(edges.size()), result.calipers, result.keptCount,
            result.rejectedCount);
    return result;
}

OFindLineResult OMetrology::FitLine(const std::vector<OCaliperEdge>& edges,
                                    const OLineFitSettings& settings) {
    OFindLineResult result;
    if (!metrology::ValidLineFitSettings(settings) || !EdgeCalipers(edges, result.calipers)) {
        result.reason = "bad settings: a fit setting out of range or an edge not finite";
        return result;
    }
    result.foundFraction = edges.empty() ? 0.0 : 1.0;
    const metrology::LineFit fit = metrology::FitLine(EdgePoints(edges), {}, settings);
    FillLine(fit, result);
    if (fit.status == OMetrologyStatus::TooFewEdges) {
        result.reason = "too few edges: " + std::to_string(edges.size()) + " given, 2 needed";
    }
    SetKept(fit.kept, fit.residuals, Identity(edges.size()), result.calipers, result.keptCount,
            result.rejectedCount);
    return result;
}

std::vector<OCaliperLine> OMetrology::CircleCalipers(const OFindCircleSettings& settings) {
    return metrology::CircleRake(settings);
}
std::vector<OCaliperLine> OMetrology::LineCalipers(const OFindLineSettings& settings) {
    return metrology::LineRake(settings);
}
std::vector<OCaliperLine> OMetrology::WidthCalipers(const OMeasureWidthSettings& settings) {
    return metrology::WidthRake(settings);
}

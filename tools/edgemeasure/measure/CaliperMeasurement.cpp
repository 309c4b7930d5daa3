#include "measure/CaliperMeasurement.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "caliper/OCaliper.h"
#include "foundation/Angles.h"
#include "metrology/OMetrology.h"

namespace {

// Grey levels of a 16-bit image per grey level of the 8-bit scale the job's thresholds use.
constexpr double kSixteenBitScale = 65535.0 / 255.0;
constexpr int kMinCircleEdges = 3;
constexpr int kMinLineEdges = 2;

// What the calipers of one measurement read: the image at its depth and the scale of its grey
// levels against the 8-bit one.
template <class Image>
struct Pixels {
    const Image& image;
    double depthScale;
};

OCaliperEdgeSettings EdgeSettings(const CaliperSetup& c, double depthScale) {
    OCaliperEdgeSettings s;
    s.sigma = c.sigma;
    s.threshold = c.threshold * depthScale;
    s.polarity = c.polarity;
    s.selection = c.select;
    return s;
}

OCaliperPairSettings PairSettings(const CaliperSetup& c, double depthScale) {
    OCaliperPairSettings s;
    s.sigma = c.sigma;
    s.threshold = c.threshold * depthScale;
    s.firstPolarity = c.firstPolarity;
    s.secondPolarity = c.secondPolarity;
    s.selection = c.pairSelect;
    s.blur = c.blur;
    return s;
}

OCircleFitSettings CircleFit(const CircleFitSetup& f) {
    OCircleFitSettings s;
    s.filter = f.filter == FitFilter::StdDev;
    s.filterPasses = f.iterations;
    s.sigmaFactor = f.sigmaFactor;
    return s;
}

OLineFitSettings LineFit(const LineFitSetup& f) {
    OLineFitSettings s;
    switch (f.filter) {
        case FitFilter::None:
            s.filter = OLineFilter::None;
            break;
        case FitFilter::StdDev:
            s.filter = OLineFilter::StdDev;
            break;
        case FitFilter::DETSAC:
            s.filter = OLineFilter::DETSAC;
            break;
        case FitFilter::DETSACFixed:
            s.filter = OLineFilter::DETSACFixed;
            break;
    }
    s.inlierDistance = f.inlierDistance;
    s.searchLevel = f.searchLevel;
    s.filterPasses = f.iterations;
    s.sigmaFactor = f.sigmaFactor;
    return s;
}

OCaliperLine LineCaliper(const LineLayout& line, double width) {
    return {line.from.x, line.from.y, line.to.x, line.to.y, width};
}

OCaliperArc ArcCaliper(const ArcLayout& arc, double width) {
    return {arc.center.x,
            arc.center.y,
            arc.radius,
            angles::RadiansFromDegrees(arc.startDeg),
            angles::RadiansFromDegrees(arc.sweepDeg),
            width};
}

// A caliper's edge as the results hold it; on an arc its angle follows from its arc length.
EdgeRecord Record(const OCaliperEdge& e, int path, const PathGeometry& geometry,
                  double depthScale) {
    EdgeRecord r;
    r.path = path;
    r.index = static_cast<int>(std::lround(e.position));  // the caliper's nearest sample
    r.point = {e.x, e.y};
    r.distance = e.position;
    if (const auto* arc = std::get_if<ArcLayout>(&geometry)) {
        const double sense = arc->sweepDeg >= 0.0 ? 1.0 : -1.0;
        r.angle = angles::RadiansFromDegrees(arc->startDeg) + sense * e.position / arc->radius;
    }
    r.amplitude = e.amplitude / depthScale;
    r.score = e.score;
    if (std::isfinite(e.sigma)) {
        r.uncertainty = e.sigma;
    }
    return r;
}

CaliperRecord Caliper(int path, double width, OCaliperStatus status) {
    return {
        path, width, status == OCaliperStatus::Ok ? kCaliperFound : CaliperStatusText(status), {}};
}

std::vector<Point2> KeptPoints(const std::vector<OMetrologyCaliper>& calipers, bool kept) {
    std::vector<Point2> points;
    for (const OMetrologyCaliper& c : calipers) {
        if (c.Found() && c.kept == kept) {
            points.push_back({c.edge.x, c.edge.y});
        }
    }
    return points;
}

// Standard deviation of values (0 for fewer than two).
double Spread(const std::vector<double>& values) {
    if (values.size() < 2) {
        return 0.0;
    }
    double mean = 0.0;
    for (const double v : values) {
        mean += v / static_cast<double>(values.size());
    }
    double sum = 0.0;
    for (const double v : values) {
        sum += (v - mean) * (v - mean);
    }
    return std::sqrt(sum / static_cast<double>(values.size()));
}

// The circle's figures as the path method reports them, over the edges against the circle.
CircleFitResult CircleFigures(const OFindCircleResult& found) {
    CircleFitResult c;
    c.center = {found.centerX, found.centerY};
    c.radius = found.radius;
    c.sigma = found.rms;
    c.inliers = KeptPoints(found.calipers, true);
    c.outliers = KeptPoints(found.calipers, false);
    c.hasQuality = true;
    std::vector<double> all;
    std::vector<double> kept;
    for (const OMetrologyCaliper& k : found.calipers) {
        if (!k.Found()) {
            continue;
        }
        const Point2 p{k.edge.x, k.edge.y};
        const double d = std::hypot(p.x - c.center.x, p.y - c.center.y);
        const double e = d - c.radius;
        const Point2 on = d > 0.0 ? Point2{c.center.x + (p.x - c.center.x) * c.radius / d,
                                           c.center.y + (p.y - c.center.y) * c.radius / d}
                                  : c.center;
        const auto keep = [&](std::optional<CircleDeviation>& slot, double value) {
            if (!slot || value > slot->value) {
                slot = CircleDeviation{value, p, on};
            }
        };
        keep(c.maxDeviation, std::fabs(e));
        if (e <= 0.0) {
            keep(c.maxInnerDeviation, -e);
        }
        if (e >= 0.0) {
            keep(c.maxOuterDeviation, e);
        }
        all.push_back(d);
        if (k.kept) {
            kept.push_back(d);
        }
    }
    c.sigmaAll = Spread(all);
    c.sigmaInliers = Spread(kept);
    c.uncertainty = CircleUncertainty{{found.centerXSigma, found.centerYSigma}, found.radiusSigma};
    return c;
}

LineFitResult LineFigures(const OFindLineResult& found) {
    LineFitResult l;
    // A line's direction is defined modulo pi: reported in [0, pi).
    l.angle = std::fmod(found.angle, angles::kPi);
    if (l.angle < 0.0) {
        l.angle += angles::kPi;
    }
    l.centre = {found.pointX, found.pointY};
    l.direction = {std::cos(l.angle), std::sin(l.angle)};
    l.inliers = KeptPoints(found.calipers, true);
    l.outliers = KeptPoints(found.calipers, false);
    l.hasQuality = true;
    std::vector<double> all;
    std::vector<double> kept;
    for (const OMetrologyCaliper& k : found.calipers) {
        const double d = found.DistanceTo(k.edge.x, k.edge.y);
        if (!l.farthest || std::fabs(d) > l.farthest->distance) {
            const Point2 foot{k.edge.x + d * std::sin(found.angle),
                              k.edge.y - d * std::cos(found.angle)};
            l.farthest = LineFarthest{std::fabs(d), {k.edge.x, k.edge.y}, foot};
        }
        all.push_back(d);
        if (k.kept) {
            kept.push_back(d);
        }
    }
    l.sigmaAll = Spread(all);
    l.sigmaInliers = Spread(kept);
    l.uncertainty = LineUncertainty{found.angleSigma, found.offsetSigma};
    return l;
}

void SetKept(const std::vector<OMetrologyCaliper>& fitted, const std::vector<int>& owners,
             MeasurementResult& result) {
    for (std::size_t i = 0; i < fitted.size() && i < owners.size(); ++i) {
        result.calipers[static_cast<std::size_t>(owners[i])].kept = fitted[i].kept;
    }
}

std::string TooFew(std::size_t found, int needed) {
    return "too few edges to fit (" + std::to_string(found) + " found, " + std::to_string(needed) +
           " needed)";
}

template <class Image>
void MeasureEdges(const MeasurementSetup& setup, const PathGeometry& geometry,
                  const Pixels<Image>& px, MeasurementResult& result) {
    const CaliperSetup& c = setup.caliper;
    const bool arc = IsArc(geometry);
    if (setup.search.mode == SearchMode::Pair) {
        const OCaliperPairSettings s = PairSettings(c, px.depthScale);
        const OCaliperPairResult found =
            arc ? OCaliper::MeasurePairs(px.image,
                                         ArcCaliper(std::get<ArcLayout>(geometry), c.width), s)
                : OCaliper::MeasurePairs(px.image,
                                         LineCaliper(std::get<LineLayout>(geometry), c.width), s);
        result.calipers.push_back(Caliper(0, c.width, found.status));
        if (!found.Ok()) {
            result.problem = std::string("no edge pair found (") + found.StatusText() + ")";
            return;
        }
        const OCaliperPair& p = found.pairs.front();
        PairRecord pair;
        pair.first = Record(p.first, 0, geometry, px.depthScale);
        pair.second = Record(p.second, 0, geometry, px.depthScale);
        pair.distance = p.width;
        if (std::isfinite(p.widthSigma)) {
            pair.uncertainty = p.widthSigma;
        }
        result.pair = pair;
        result.ok = true;
        return;
    }
    const OCaliperEdgeSettings s = EdgeSettings(c, px.depthScale);
    const OCaliperEdgeResult found =
        arc ? OCaliper::MeasureEdges(px.image, ArcCaliper(std::get<ArcLayout>(geometry), c.width),
                                     s)
            : OCaliper::MeasureEdges(px.image, LineCaliper(std::get<LineLayout>(geometry), c.width),
                                     s);
    result.calipers.push_back(Caliper(0, c.width, found.status));
    for (const OCaliperEdge& e : found.edges) {
        result.edges.push_back(Record(e, 0, geometry, px.depthScale));
    }
    result.ok = found.Ok();
    if (!result.ok) {
        result.problem = std::string("no edge found (") + found.StatusText() + ")";
    }
}

template <class Image>
void MeasureRadialCircle(const MeasurementSetup& setup, const RadialLayout& radial,
                         const std::vector<PathGeometry>& paths, const Pixels<Image>& px,
                         MeasurementResult& result) {
    OFindCircleSettings s;
    s.centerX = radial.center.x;
    s.centerY = radial.center.y;
    s.radius = 0.5 * (radial.inner + radial.outer);
    s.startAngle = angles::RadiansFromDegrees(radial.startDeg);
    s.sweep = angles::RadiansFromDegrees(radial.sweepDeg);
    s.calipers = radial.count;
    s.caliperLength = radial.outer - radial.inner;
    s.caliperWidth = setup.caliper.width;
    s.search = OCircleSearch::Outwards;
    s.edge = EdgeSettings(setup.caliper, px.depthScale);
    s.fit = CircleFit(setup.circleFit);
    const OFindCircleResult found = OMetrology::FindCircle(px.image, s);
    for (std::size_t k = 0; k < found.calipers.size(); ++k) {
        const OMetrologyCaliper& c = found.calipers[k];
        const int path = static_cast<int>(k);
        result.calipers.push_back(Caliper(path, setup.caliper.width, c.status));
        if (c.Found()) {
            result.edges.push_back(Record(c.edge, path, paths[k], px.depthScale));
            result.calipers.back().kept = found.Ok() ? std::optional<bool>(c.kept) : std::nullopt;
        }
    }
    result.ok = found.Ok();
    if (!result.ok) {
        result.problem = found.StatusText();
        return;
    }
    result.circle = CircleFigures(found);
}

template <class Image>
void MeasureArcCircle(const MeasurementSetup& setup, const PathGeometry& geometry,
                      const Pixels<Image>& px, MeasurementResult& result) {
    OCaliperEdgeSettings s = EdgeSettings(setup.caliper, px.depthScale);
    s.selection = OCaliperSelection::All;  // every edge along the arc is a point of the circle
    const OCaliperEdgeResult found = OCaliper::MeasureEdges(
        px.image, ArcCaliper(std::get<ArcLayout>(geometry), setup.caliper.width), s);
    result.calipers.push_back(Caliper(0, setup.caliper.width, found.status));
    for (const OCaliperEdge& e : found.edges) {
        result.edges.push_back(Record(e, 0, geometry, px.depthScale));
    }
    if (found.edges.size() < static_cast<std::size_t>(kMinCircleEdges)) {
        result.problem = TooFew(found.edges.size(), kMinCircleEdges);
        return;
    }
    const OFindCircleResult fitted = OMetrology::FitCircle(found.edges, CircleFit(setup.circleFit));
    result.ok = fitted.Ok();
    if (!result.ok) {
        result.problem = fitted.StatusText();
        return;
    }
    result.circle = CircleFigures(fitted);
}

// One edge per caliper: the selection's, or with "all" the one nearest the caliper's middle.
OCaliperEdge ChosenEdge(const OCaliperEdgeResult& found, const LineLayout& line,
                        OCaliperSelection selection) {
    if (selection != OCaliperSelection::All) {
        return found.edges.front();
    }
    const double middle = 0.5 * std::hypot(line.to.x - line.from.x, line.to.y - line.from.y);
    return *std::min_element(found.edges.begin(), found.edges.end(),
                             [middle](const OCaliperEdge& a, const OCaliperEdge& b) {
                                 return std::fabs(a.position - middle) <
                                        std::fabs(b.position - middle);
                             });
}

template <class Image>
void MeasureParallelLine(const MeasurementSetup& setup, const std::vector<PathGeometry>& paths,
                         const Pixels<Image>& px, MeasurementResult& result) {
    const OCaliperEdgeSettings s = EdgeSettings(setup.caliper, px.depthScale);
    std::vector<OCaliperEdge> edges;
    std::vector<int> owners;
    for (std::size_t k = 0; k < paths.size(); ++k) {
        const auto& line = std::get<LineLayout>(paths[k]);
        const OCaliperEdgeResult found =
            OCaliper::MeasureEdges(px.image, LineCaliper(line, setup.caliper.width), s);
        result.calipers.push_back(Caliper(static_cast<int>(k), setup.caliper.width, found.status));
        if (found.Ok()) {
            edges.push_back(ChosenEdge(found, line, s.selection));
            owners.push_back(static_cast<int>(k));
            result.edges.push_back(
                Record(edges.back(), static_cast<int>(k), paths[k], px.depthScale));
        }
    }
    if (edges.size() < static_cast<std::size_t>(kMinLineEdges)) {
        result.problem = TooFew(edges.size(), kMinLineEdges);
        return;
    }
    const OFindLineResult fitted = OMetrology::FitLine(edges, LineFit(setup.lineFit));
    result.ok = fitted.Ok();
    if (!result.ok) {
        result.problem = fitted.StatusText();
        return;
    }
    SetKept(fitted.calipers, owners, result);
    result.line = LineFigures(fitted);
}

template <class Image>
void Measure(const MeasurementSetup& setup, const std::vector<PathGeometry>& paths,
             const Pixels<Image>& px, MeasurementResult& result) {
    switch (setup.kind) {
        case MeasurementKind::Edges:
            MeasureEdges(setup, paths.front(), px, result);
            return;
        case MeasurementKind::Circle:
            if (const auto* radial = std::get_if<RadialLayout>(&setup.layout)) {
                MeasureRadialCircle(setup, *radial, paths, px, result);
            } else {
                MeasureArcCircle(setup, paths.front(), px, result);
            }
            return;
        case MeasurementKind::Line:
            MeasureParallelLine(setup, paths, px, result);
            return;
    }
}

}  // namespace

void MeasureWithCalipers(const MeasurementSetup& setup, const std::vector<PathGeometry>& paths,
                         const LoadedImage& image, MeasurementResult& result) {
    if (image.deep) {
        Measure(setup, paths, Pixels<OType_Image16>{*image.deep, kSixteenBitScale}, result);
    } else {
        Measure(setup, paths, Pixels<OType_Image>{*image.grey, 1.0}, result);
    }
}

// The C++ side of the agreement test (test_agreement.py): runs a fixed set of measurements on an
// image and a point set that the test writes, and prints every result with 17 significant
// digits, so that the test can compare the module's answers with the library's exactly.
//
// Usage: reference_results <image.raw> <width> <height> <points.txt>
//   image.raw:  width * height grey bytes, row by row
//   points.txt: "cx cy r" (the circle fit's guess), then one "x y" per line

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "EdgeDetection.h"

namespace {

void PrintEdges(const char* name, OVectorPath& path, const std::shared_ptr<OType_Image>& image) {
    int index = -1;
    OVector point;
    double angle = 0.0;
    int reference = 0;
    while (path.FindNextTransition(image, 0, 0, reference, index, point, angle, nullptr, 0, 0)) {
        std::printf("%s %d %.17g %.17g %.17g\n", name, index, point.dX(), point.dY(), angle);
        OVector refined;
        double refinedAngle = 0.0;
        if (OSubpixelCalculation::CalculateTransitionOnPath(image.get(), &path, 1, index, refined,
                                                            refinedAngle) == 1) {
            std::printf("%s_subpixel %.17g %.17g %.17g\n", name, refined.dX(), refined.dY(),
                        refinedAngle);
        }
        reference = index;
    }
}

void PrintCaliperEdges(const char* name, const OCaliperEdgeResult& result) {
    for (const OCaliperEdge& e : result.edges) {
        std::printf("%s %.17g %.17g %.17g %.17g %.17g %.17g\n", name, e.x, e.y, e.position,
                    e.amplitude, e.score, e.sigma);
    }
}

// Calipers on the 8-bit image and on the same image scaled to 16 bits: all edges along the
// diagonal, the dark gap of the disc as a pair, all edges along an arc, three calipers at once.
void PrintCalipers(const std::vector<unsigned char>& pixels, int width, int height) {
    constexpr int kScale16 = 257;
    const OType_Image image(width, height, pixels);
    std::vector<std::uint16_t> pixels16(pixels.begin(), pixels.end());
    for (std::uint16_t& p : pixels16) {
        p = static_cast<std::uint16_t>(p * kScale16);
    }
    const OType_Image16 image16(width, height, pixels16.data(), width);
    const OCaliperLine diagonal{5.5, 20.25, width - 6.5, height - 20.75, 5.0};
    OCaliperEdgeSettings all;
    all.threshold = 5.0;
    all.selection = OCaliperSelection::All;
    PrintCaliperEdges("caliper", OCaliper::MeasureEdges(image, diagonal, all));
    OCaliperEdgeSettings all16 = all;
    all16.threshold *= kScale16;
    PrintCaliperEdges("caliper16", OCaliper::MeasureEdges(image16, diagonal, all16));
    const OCaliperArc arc{190.0, 120.0, 40.0, 0.0, 2.0 * 3.14159265358979323846, 3.0};
    PrintCaliperEdges("arc", OCaliper::MeasureEdges(image, arc, all));
    OCaliperPairSettings gap;
    gap.firstPolarity = OCaliperPolarity::Falling;
    gap.secondPolarity = OCaliperPolarity::Rising;
    for (const OCaliperPair& p :
         OCaliper::MeasurePairs(image, OCaliperLine{80.5, 120.5, 240.5, 120.5, 7.0}, gap).pairs) {
        std::printf("pair %.17g %.17g %.17g %.17g %.17g\n", p.width, p.widthSigma, p.centerX,
                    p.centerY, p.score);
    }
    const std::vector<OCaliperLine> rows{{60.5, 100.5, 200.5, 110.5, 9.0},
                                         {60.5, 120.5, 200.5, 110.5, 9.0},
                                         {60.5, 140.5, 200.5, 130.5, 9.0}};
    for (const OCaliperEdgeResult& r :
         OCaliper::MeasureEdges(image, rows, OCaliperEdgeSettings())) {
        PrintCaliperEdges("many", r);
    }
}

// The metrology tools with settings away from their defaults (a part turn in from outside, a
// line searched right to left with the regression's line), so that the module's translation of
// each is compared; the width with its defaults.
void PrintMetrology(const OType_Image& image) {
    constexpr double kDegree = 3.14159265358979323846 / 180.0;
    OFindCircleSettings hole;
    hole.centerX = 160.0;
    hole.centerY = 120.0;
    hole.radius = 50.0;
    hole.startAngle = 30.0 * kDegree;
    hole.sweep = 300.0 * kDegree;
    hole.calipers = 20;
    hole.search = OCircleSearch::Inwards;
    hole.edge.polarity = OCaliperPolarity::Falling;
    hole.fit.sigmaFactor = 2.5;
    const OFindCircleResult c = OMetrology::FindCircle(image, hole);
    std::printf("find_circle %.17g %.17g %.17g %.17g %.17g %d\n", c.centerX, c.centerY, c.radius,
                c.radiusSigma, c.rms, c.keptCount);
    OFindLineSettings patch;
    patch.startX = 60.0;
    patch.startY = 105.0;
    patch.endX = 60.0;
    patch.endY = 135.0;
    patch.calipers = 7;
    patch.caliperLength = 20.0;
    patch.search = OLineSearch::RightToLeft;
    patch.fit.filter = OLineFilter::StdDev;
    patch.fit.refit = OLineRefit::Regression;
    const OFindLineResult l = OMetrology::FindLine(image, patch);
    std::printf("find_line %.17g %.17g %.17g %.17g %.17g %d\n", l.pointX, l.pointY, l.angle,
                l.angleSigma, l.offsetSigma, l.keptCount);
    OMeasureWidthSettings gap;
    gap.startX = 80.5;
    gap.startY = 120.5;
    gap.endX = 240.5;
    gap.endY = 120.5;
    gap.calipers = 3;
    gap.pair.firstPolarity = OCaliperPolarity::Falling;
    gap.pair.secondPolarity = OCaliperPolarity::Rising;
    const OMeasureWidthResult w = OMetrology::MeasureWidth(image, gap);
    std::printf("measure_width %.17g %.17g %.17g %d\n", w.width, w.widthSigma, w.tilt, w.keptCount);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: reference_results image.raw width height points.txt\n");
        return 2;
    }
    const int width = std::stoi(argv[2]);
    const int height = std::stoi(argv[3]);
    std::ifstream raw(argv[1], std::ios::binary);
    std::vector<unsigned char> pixels((std::istreambuf_iterator<char>(raw)), {});
    auto image = std::make_shared<OType_Image>(width, height, pixels);
    PrintCalipers(pixels, width, height);
    PrintMetrology(*image);

    OVectorPath_Line line(OVector(5.5, 20.25), OVector(width - 6.5, height - 20.75));
    line.bCreateTransitionFunction(0, 0, 100, 0, 0, image);
    PrintEdges("line", line, image);

    OVectorPath_Circle circle(OVector(width / 2.0 + 30, height / 2.0), height / 4.0, 10.0, 360.0);
    circle.bCreateTransitionFunction(1, 10, 30, 2, 0, image);
    PrintEdges("circle", circle, image);

    OVectorPath_Line cannyLine(OVector(5.5, 20.25), OVector(width - 6.5, height - 20.75));
    cannyLine.bCreateTransitionFunction(3, 20, 0, 0, 2, image);
    PrintEdges("canny", cannyLine, image);

    std::ifstream text(argv[4]);
    double cx = 0, cy = 0, r = 0;
    text >> cx >> cy >> r;
    std::vector<double> xs, ys;
    for (double x = 0, y = 0; text >> x >> y;) {
        xs.push_back(x);
        ys.push_back(y);
    }
    const auto n = static_cast<std::int64_t>(xs.size());
    OFastArrayList<double> lx(n), ly(n);
    OVector_Array points;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        lx.Add(xs[i]);
        ly.Add(ys[i]);
        points.Add(std::make_shared<OVector>(xs[i], ys[i]));
    }
    OCircleFit_Circle fit(cx, cy, r, 1e10, 0);
    int in = 0, out = 0;
    bool f1, f2, f3;
    double d[15], sAll = 0, sIn = 0;
    if (OCircleFit_OutlierFilter::bComputeCircleFit(
            3, lx, ly, true, true, true, true, true, 1, 5, 2.0, fit, nullptr, nullptr, in, out, f1,
            d[0], d[1], d[2], d[3], d[4], f2, d[5], d[6], d[7], d[8], d[9], f3, d[10], d[11], d[12],
            d[13], d[14], sAll, sIn, {})) {
        std::printf("circle_fit %.17g %.17g %.17g %.17g %d %d %d %.17g %.17g\n", fit.m_dCenterX,
                    fit.m_dCenterY, fit.m_dRadius, fit.m_dSigma, fit.m_iIterations, in, out, sAll,
                    sIn);
    }
    double angle = 0.0;
    OVector centre;
    bool found = false;
    std::int64_t dist = 0, fx = 0, fy = 0;
    double footX = 0, footY = 0;
    if (OVector_Regression::bComputeRegressionLine(3, points, true, true, true, 2, 5, 2.0, 2, 4,
                                                   angle, centre, nullptr, in, out, found, dist, fx,
                                                   fy, footX, footY, sAll, sIn, nullptr)) {
        std::printf("line_fit %.17g %.17g %.17g %d %d %.17g %.17g\n", angle, centre.dX(),
                    centre.dY(), in, out, sAll, sIn);
    }
    return 0;
}

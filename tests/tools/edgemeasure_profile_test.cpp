// Profiles and their plots: the bilinear, width-averaged profile and its derivative against
// images whose values are known everywhere; the path profile against what the transition search
// finds; the chart's scales and its reduction of long profiles; the profile command as a user
// runs it.

#include <cmath>
#include <map>
#include <memory>

#include "ProgramFixture.h"
#include "measure/Measurement.h"
#include "measure/Profiles.h"
#include "output/ProfilePlot.h"

namespace {

using namespace edgemeasure_test;

constexpr double kExact = 1e-9;
// The caliper samples in fixed point: grey values good to about this.
constexpr double kCaliperGrey = 1e-4;
// Path positions are fixed point: an angle taken from one is good to about this (pixels of arc).
constexpr double kPointPx = 1e-3;

// An image whose grey value is f(x, y) at every pixel.
template <typename F>
std::shared_ptr<OType_Image> Image(int width, int height, F f) {
    auto image = std::make_shared<OType_Image>(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image->SetPixel_Grey(x, y, f(x, y));
        }
    }
    return image;
}

// The profile command's line, width and sigma reach the caliper's sampler: on a ramp of 2 grey
// levels per pixel along x, a 3-4-5 line reads 2 (x - 0.5) + 10 at each of its 101 samples one
// pixel apart (a width symmetric about the line keeps the mean), and its derivative is 2 x 0.6
// wherever the filter of 4 sigma to either side stays on the profile.
TEST(Profiles, SampleALineAsTheCaliperReadsIt) {
    const auto ramp = Image(120, 120, [](int x, int) { return 2 * x + 10; });
    const OCaliperLine line{10.5, 10.5, 70.5, 90.5, 3.0};
    const OCaliperProfile p = SampleLineProfile(*ramp, line, 2.0);
    ASSERT_EQ(p.status, OCaliperStatus::Ok);
    ASSERT_EQ(p.values.size(), 101u);
    std::size_t defined = 0;
    for (std::size_t i = 0; i < p.values.size(); ++i) {
        EXPECT_EQ(p.positions[i], static_cast<double>(i));
        EXPECT_NEAR(p.values[i], 2.0 * (line.startX + 0.6 * i - 0.5) + 10.0, kCaliperGrey);
        if (std::isfinite(p.derivative[i])) {
            EXPECT_NEAR(p.derivative[i], 2.0 * 0.6, kCaliperGrey) << "sample " << i;
            ++defined;
        }
    }
    EXPECT_GE(defined, 101u - 2 * 8);
}

// The path profile is what the search reads: the transition function's answer changes exactly
// at every edge that the search reports (band and Canny, on lines, arcs and oblique lines), and
// the sample there lies at the edge's distance along the path.
TEST_F(ProgramTest, PathProfilesChangeThresholdStateWhereTheSearchFindsEdges) {
    WritePlate("plate.pgm");
    const LoadedImage plate = LoadImage("plate.pgm");
    const PathLayout layouts[] = {LineLayout{{10.5, 60.5}, {230.5, 60.5}},
                                  ArcLayout{{60.5, 60.5}, 40.0, 10.0, 300.0},
                                  LineLayout{{200.5, 110.5}, {20.5, 15.5}}};
    TransitionSetup canny;
    canny.type = OVectorPath::kTransitionCanny;
    canny.param1 = 30;
    for (const PathLayout& layout : layouts) {
        for (const TransitionSetup& transition : {TransitionSetup{}, canny}) {
            MeasurementSetup setup;
            setup.method = MeasureMethod::Path;
            setup.layout = layout;
            setup.transition = transition;
            setup.search.mode = SearchMode::All;
            setup.subpixel = false;
            const MeasurementResult result = RunMeasurement(setup, plate.grey, nullptr);
            const PathProfile profile =
                SamplePathProfile(ExpandLayout(layout).front(), transition, plate.grey, 1.0);
            // The sample in threshold of each change of the answer.
            std::vector<std::size_t> edges;
            for (std::size_t i = 1; i < profile.inThreshold.size(); ++i) {
                if (profile.inThreshold[i] != profile.inThreshold[i - 1]) {
                    edges.push_back(profile.inThreshold[i] ? i : i - 1);
                }
            }
            ASSERT_EQ(edges.size(), result.edges.size()) << "transition " << transition.type;
            for (std::size_t k = 0; k < edges.size(); ++k) {
                EXPECT_EQ(profile.indices[edges[k]], result.edges[k].index);
                EXPECT_NEAR(profile.profile.positions[edges[k]], result.edges[k].distance,
                            kPointPx);
            }
        }
    }
}

// The chart's scales agree: a threshold line lies at the height of curve points of its value,
// an edge at the abscissa of the sample at its position. A profile of many samples per column
// of the chart keeps its one-sample spike; samples outside the image break the curve.
TEST(ProfilePlot, DrawsValuesWhereTheyBelongAndKeepsNarrowPeaks) {
    ProfilePlot plot;
    OCaliperProfile& p = plot.profile;
    constexpr std::size_t kSamples = 20000;
    constexpr std::size_t kSpike = 12345;
    for (std::size_t i = 0; i < kSamples; ++i) {
        p.positions.push_back(0.5 * i);
        p.values.push_back(i == kSpike ? 250.0 : 100.0);
        p.outside.push_back(i >= 5000 && i < 5010 ? 1 : 0);
    }
    p.derivative.assign(kSamples, 0.0);
    plot.thresholds = {{PlotAxis::Grey, 0.0, "zero"}, {PlotAxis::Grey, 100.0, "hundred"}};
    plot.edges = {{0.5 * kSpike, "1", "the spike", false}};
    const PlotFigure figure = ProfileFigure(plot);
    std::vector<const FigureLine*> grey;
    std::map<std::string, const FigureLine*> marks;
    for (const FigureItem& item : figure.items) {
        if (const auto* line = std::get_if<FigureLine>(&item)) {
            if (line->role == "grey") {
                grey.push_back(line);
            } else if (!line->tip.empty()) {
                marks[line->tip] = line;
            }
        }
    }
    ASSERT_EQ(grey.size(), 2u);  // broken by the stretch outside the image
    ASSERT_EQ(marks.size(), 3u);
    const double y0 = marks.at("zero")->points[0].y;
    const double y100 = marks.at("hundred")->points[0].y;
    FigurePoint top{0.0, y100};
    std::size_t points = 0;
    for (const FigureLine* line : grey) {
        points += line->points.size();
        for (const FigurePoint& q : line->points) {
            top = q.y < top.y ? q : top;
            EXPECT_TRUE(q.y == y100 || q.y == top.y) << q.x << "," << q.y;
        }
    }
    EXPECT_LT(points, 4u * kProfilePlotWidth);
    EXPECT_NEAR(top.y, y0 + 2.5 * (y100 - y0), kExact);
    EXPECT_NEAR(marks.at("the spike")->points[0].x, top.x, kExact);
}

// The strip of the transition function's answer covers its samples in threshold exactly: each
// sample stands for the half steps to either side of it, the last for itself alone.
TEST(ProfilePlot, ShowsTheThresholdAnswerOverItsSamples) {
    ProfilePlot plot;
    for (int i = 0; i < 10; ++i) {
        plot.profile.positions.push_back(i);
        plot.profile.values.push_back(100.0);
        plot.profile.derivative.push_back(0.0);
        plot.profile.outside.push_back(0);
    }
    plot.inThreshold = {0, 0, 1, 1, 1, 0, 0, 0, 1, 1};
    for (const double at : {1.5, 4.5, 7.5, 9.0}) {
        plot.edges.push_back({at, "", std::to_string(at), false});
    }
    std::map<std::string, double> x;
    std::vector<const FigureRect*> strip;
    const PlotFigure figure = ProfileFigure(plot);
    for (const FigureItem& item : figure.items) {
        if (const auto* line = std::get_if<FigureLine>(&item); line && line->role == "edge") {
            x[line->tip] = line->points[0].x;
        } else if (const auto* rect = std::get_if<FigureRect>(&item);
                   rect && rect->role == "in-threshold") {
            strip.push_back(rect);
        }
    }
    ASSERT_EQ(strip.size(), 2u);
    EXPECT_NEAR(strip[0]->x, x.at(std::to_string(1.5)), kExact);
    EXPECT_NEAR(strip[0]->x + strip[0]->width, x.at(std::to_string(4.5)), kExact);
    EXPECT_NEAR(strip[1]->x, x.at(std::to_string(7.5)), kExact);
    EXPECT_NEAR(strip[1]->x + strip[1]->width, x.at(std::to_string(9.0)), kExact);
}

// The profile command: the CSV (standard output or -o) with one row per pixel of the line, the
// plot as SVG or PNG, and in one line what is wrong with its arguments.
TEST_F(ProgramTest, ProfileCommandWritesTheProfileAndItsPlot) {
    WritePlate("plate.pgm");
    const std::string line = "--line=10.5,60.5,110.5,60.5";  // across the square's left side
    const ProgramRun toStdout = Edgemeasure({"profile", "plate.pgm", line, "--plot", "p.svg"});
    ASSERT_EQ(toStdout.exitCode, kExitOk) << toStdout.err;
    EXPECT_EQ(toStdout.out.substr(0, toStdout.out.find('\n')), "distance,x,y,grey,derivative");
    EXPECT_EQ(std::count(toStdout.out.begin(), toStdout.out.end(), '\n'), 1 + 101);
    EXPECT_NE(toStdout.out.find("\n0.000,10.500,60.500,200.000,"), std::string::npos);
    EXPECT_NE(toStdout.out.find("\n30.000,40.500,60.500,50.000,"), std::string::npos);
    const std::string svg = ReadFile("p.svg");
    EXPECT_NE(svg.find("class=\"profile-plot\""), std::string::npos);
    // The derivative is undefined near the ends: the curve stops there, it draws no "nan".
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    ASSERT_EQ(
        Edgemeasure({"profile", "plate.pgm", line, "-o", "p.csv", "--plot", "p.png"}).exitCode,
        kExitOk);
    EXPECT_EQ(ReadFile("p.csv"), toStdout.out);
    const LoadedImage png = LoadImage("p.png");
    EXPECT_EQ(png.info.format, "PNG");
    EXPECT_EQ(png.grey->GetWidth(), kProfilePlotWidth);
    EXPECT_EQ(png.grey->GetHeight(), kProfilePlotHeight);

    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"profile", "plate.pgm"}, kExitBadInput, "profile: needs --line X0,Y0,X1,Y1"},
        {{"profile", line}, kExitBadInput, "profile: expects one image (got 0)"},
        {{"profile", "plate.pgm", "--line", "1,2,3"}, kExitBadInput, "--line: expects X0,Y0"},
        {{"profile", "plate.pgm", line, "--width", "0"}, kExitBadInput, "--width: '0' is not"},
        {{"profile", "plate.pgm", line, "--sigma", "300"}, kExitBadInput, "--sigma: '300' is not"},
        {{"profile", "plate.pgm", line, "--plot", "p.jpg"}, kExitBadInput, "neither .svg nor .png"},
        {{"profile", "none.png", line}, kExitBadInput, "cannot read image 'none.png'"},
        {{"profile", "plate.pgm", "--line", "500.5,5.5,600.5,5.5", "-o", "out.csv"},
         kExitMeasurementFailed,
         "the line lies wholly outside the image (240 x 120 px)"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = Edgemeasure(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_FALSE(fs::exists("out.csv"));
    EXPECT_EQ(Edgemeasure({"profile", "--help"}).exitCode, kExitOk);
}

}  // namespace

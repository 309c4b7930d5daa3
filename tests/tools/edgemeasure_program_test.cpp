// End-to-end tests of edgemeasure's measuring: jobs, batches, bad input, the demo.

#include "ProgramFixture.h"

#include "command/DemoScene.h"
#include "foundation/Angles.h"
#include "output/SvgOverlay.h"

namespace {

using namespace edgemeasure_test;

// The path search: successful and failed measurements side by side: a failure is a result (exit
// code 1) with its reason, and paths partly outside the image still measure.
TEST_F(ProgramTest, RunsAJobFileOnAGeneratedImage) {
    WritePlate("plate.pgm");
    WriteFile("job.json", R"({"image": "plate.pgm", "measurements": [
      {"name": "square", "method": "path", "line": {"from": [10.5, 60.5], "to": [110.5, 60.5]},
       "search": {"mode": "pair"}},
      {"name": "disc", "kind": "circle", "search": {"polarity": "leaving"},
       "radial": {"center": [170.5, 60.5], "inner": 10, "outer": 50, "count": 36}},
      {"name": "left side", "kind": "line", "search": {"polarity": "entering"},
       "parallel": {"from": [10.5, 35.5], "to": [60.5, 35.5], "count": 11, "step": [0, 5]}},
      {"name": "all edges", "line": {"from": [10.5, 60.5], "to": [230.5, 60.5]},
       "search": {"mode": "all"}, "subpixel": false},
      {"line": {"from": [-40.5, 60.5], "to": [60.5, 60.5]}, "method": "path"},
      {"name": "leaves at the top", "arc": {"center": [170.5, -20.5], "radius": 90},
       "search": {"mode": "all"}},
      {"name": "no edge", "method": "path", "line": {"from": [100.5, 10.5], "to": [130.5, 10.5]}},
      {"name": "no pair", "method": "path", "line": {"from": [100.5, 10.5], "to": [130.5, 10.5]},
       "search": {"mode": "pair"}},
      {"name": "one line", "kind": "circle", "search": {"polarity": "leaving"},
       "radial": {"center": [170.5, 60.5], "inner": 10, "outer": 50, "count": 1, "sweep": 180}}
    ]})");
    const ProgramRun run = Edgemeasure(
        {"measure", "--job", "job.json", "-o", "out.json", "--overlay", "o.png", "--svg", "o.svg"});
    EXPECT_EQ(run.exitCode, kExitMeasurementFailed) << run.err;
    EXPECT_EQ(run.err, "");
    const json results = json::parse(ReadFile("out.json"));
    EXPECT_FALSE(results.at("ok"));

    const json& pair = Measurement(results, "square").at("pair");
    EXPECT_NEAR(pair.at("distance").get<double>(), kSquareRight - kSquareLeft, kTolerancePx);
    EXPECT_NEAR(X(pair.at("first").at("subpixel").at("point")), kSquareLeft, kTolerancePx);
    EXPECT_EQ(X(pair.at("first").at("point")), kSquareLeft + 0.5);  // the first dark pixel

    const json& circle = Measurement(results, "disc").at("circle");
    EXPECT_NEAR(X(circle.at("center")), kDiscX, kTolerancePx);
    EXPECT_NEAR(circle.at("center")[1].get<double>(), kDiscY, kTolerancePx);
    EXPECT_NEAR(circle.at("radius").get<double>(), kDiscRadius, kTolerancePx);
    EXPECT_EQ(circle.at("inliers").size(), 36u);
    // Radial lines turn clockwise on screen from +x, a full turn not doubling its start, and a
    // single line takes the middle of its part: both meet the disc's last dark pixel at 90 degrees.
    const json bottom = {kDiscX, kDiscY + kDiscRadius - 1.0};
    EXPECT_EQ(Measurement(results, "disc").at("edges")[9].at("point"), bottom);
    EXPECT_EQ(Measurement(results, "one line").at("edges")[0].at("point"), bottom);

    const json& line = Measurement(results, "left side").at("line");
    EXPECT_NEAR(line.at("angle_deg").get<double>(), 90.0, kToleranceDeg);
    EXPECT_NEAR(X(line.at("point")), kSquareLeft, kTolerancePx);

    // Along y = 60.5: into and out of the square, into and out of the disc.
    const json& edges = Measurement(results, "all edges").at("edges");
    ASSERT_EQ(edges.size(), 4u);
    EXPECT_EQ(X(edges[3].at("point")), kDiscX + kDiscRadius - 1.0);  // the last dark pixel
    EXPECT_TRUE(edges[0].at("subpixel").is_null());

    // A measurement without a name is named by its place; this one starts outside the image.
    const json& outside = Measurement(results, "measurement 5").at("edges");
    ASSERT_EQ(outside.size(), 1u);  // by default the first edge of either polarity
    EXPECT_NEAR(X(outside[0].at("subpixel").at("point")), kSquareLeft, kTolerancePx);
    EXPECT_GE(Measurement(results, "leaves at the top").at("edges").size(), 2u);

    for (const auto& [name, problem] : {std::pair{"no edge", "no edge found"},
                                        {"no pair", "no edge pair found"},
                                        {"one line", "too few edges to fit (1 found, 3 needed)"}}) {
        EXPECT_FALSE(Measurement(results, name).at("ok")) << name;
        EXPECT_EQ(Measurement(results, name).at("problem"), problem);
    }
    EXPECT_EQ(LoadImage("o.png").grey->GetWidth(), kPlateWidth);
    EXPECT_NE(ReadFile("o.svg").find("disc  r 35."), std::string::npos);
}

// Calipers (the default): sub-pixel edges with amplitude, score and uncertainty, figures with
// their uncertainties, every caliper's answer; a measurement that cannot be made says why.
TEST_F(ProgramTest, CalipersMeasureWithUncertainties) {
    WritePlate("plate.pgm");
    WriteFile("job.json", R"({"image": "plate.pgm", "measurements": [
      {"name": "square", "line": {"from": [10.5, 60.5], "to": [110.5, 60.5]},
       "search": {"mode": "pair"}},
      {"name": "disc", "kind": "circle", "search": {"polarity": "rising"},
       "radial": {"center": [170.5, 60.5], "inner": 20, "outer": 50, "count": 36}},
      {"name": "left side", "kind": "line", "search": {"polarity": "falling"},
       "parallel": {"from": [10.5, 35.5], "to": [60.5, 35.5], "count": 11, "step": [0, 5]}},
      {"name": "two calipers", "kind": "circle",
       "radial": {"center": [170.5, 60.5], "inner": 20, "outer": 50, "count": 2}}
    ]})");
    const ProgramRun run = Edgemeasure({"measure", "--job", "job.json", "-o", "out.json"});
    EXPECT_EQ(run.exitCode, kExitMeasurementFailed) << run.err;
    const json results = json::parse(ReadFile("out.json"));
    constexpr double kCaliperPx = 0.02;  // straight edges on pixel borders: exact to rounding
    const json& square = Measurement(results, "square");
    EXPECT_EQ(square.at("method"), "caliper");
    const json& pair = square.at("pair");
    EXPECT_NEAR(pair.at("distance").get<double>(), kSquareRight - kSquareLeft, kCaliperPx);
    EXPECT_NEAR(X(pair.at("first").at("point")), kSquareLeft, kCaliperPx);
    EXPECT_TRUE(pair.at("first").at("subpixel").is_null());
    EXPECT_LT(pair.at("first").at("amplitude").get<double>(), 0.0) << "falling into the square";
    EXPECT_GT(pair.at("uncertainty").at("distance").get<double>(), 0.0);

    // The disc's edges lie on whole pixels (its image is sampled at pixel centres): a tenth.
    const json& disc = Measurement(results, "disc");
    EXPECT_NEAR(X(disc.at("circle").at("center")), kDiscX, 0.1);
    EXPECT_NEAR(disc.at("circle").at("radius").get<double>(), kDiscRadius, 0.1);
    EXPECT_GT(disc.at("circle").at("uncertainty").at("radius").get<double>(), 0.0);
    ASSERT_EQ(disc.at("calipers").size(), 36u);
    EXPECT_EQ(disc.at("calipers")[0],
              (json{{"path", 0}, {"width", 5.0}, {"status", "ok"}, {"kept", true}}));
    EXPECT_GT(disc.at("edges")[0].at("score").get<double>(), 0.5);

    const json& side = Measurement(results, "left side").at("line");
    EXPECT_NEAR(side.at("angle_deg").get<double>(), 90.0, 0.01);
    EXPECT_NEAR(X(side.at("point")), kSquareLeft, kCaliperPx);
    EXPECT_GT(side.at("uncertainty").at("angle_deg").get<double>(), 0.0);

    EXPECT_EQ(Measurement(results, "two calipers").at("problem"),
              "too few edges: 2 of 2 calipers found one, 3 needed");

    WriteFile("bad.json", R"({"image": "plate.pgm", "measurements": [
      {"line": {"from": [10.5, 60.5], "to": [110.5, 60.5]}, "caliper": {"width": -1}}]})");
    const ProgramRun bad = Edgemeasure({"measure", "--job", "bad.json"});
    EXPECT_EQ(bad.exitCode, kExitBadInput);
    EXPECT_EQ(bad.err,
              "edgemeasure: error: bad.json: measurements[0].caliper.width: -1 is outside "
              "0..1000\n");
}

// Every image format reads to the same plate, colour made grey; unreadable images and other
// files do not stop the batch.
TEST_F(ProgramTest, BatchMeasuresEveryReadableImage) {
    fs::create_directories("in");
    for (const auto& [file, channels] :
         {std::pair{"in/a.png", 1}, {"in/b.pgm", 1}, {"in/c.jpg", 3}, {"in/d.ppm", 3}}) {
        WritePlate(file, channels);
    }
    WriteFile("in/e.png", "not a picture");
    WriteFile("in/notes.txt", "ignored");
    const ProgramRun run =
        Edgemeasure({"measure", "in", "--line", "10.5,60.5,110.5,60.5", "--search", "pair",
                     "--overlay-dir", "o", "-o", "out.json"});
    EXPECT_EQ(run.exitCode, kExitBadInput);
    // One line for the bad image, and no progress line: standard error is not a terminal.
    EXPECT_EQ(run.err.rfind("edgemeasure: error: cannot read image 'in/e.png': not a PNG file or "
                            "damaged (unknown content)",
                            0),
              0u)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    const json images = json::parse(ReadFile("out.json")).at("images");
    ASSERT_EQ(images.size(), 5u);
    for (int k = 0; k < 4; ++k) {
        const json& pair = images[k].at("measurements")[0].at("pair");
        EXPECT_NEAR(pair.at("distance").get<double>(), kSquareRight - kSquareLeft, kTolerancePx)
            << images[k].at("image");
    }
    EXPECT_TRUE(images[4].contains("error"));
    EXPECT_EQ(Listing(), (std::vector<std::string>{
                             "in", "in/a.png", "in/b.pgm", "in/c.jpg", "in/d.ppm", "in/e.png",
                             "in/notes.txt", "o", "o/a.overlay.png", "o/a.overlay.svg",
                             "o/b.overlay.png", "o/b.overlay.svg", "o/c.overlay.png",
                             "o/c.overlay.svg", "o/d.overlay.png", "o/d.overlay.svg", "out.json"}));
}

// Bad input: one line on standard error naming the problem, exit code 2, no file written.
TEST_F(ProgramTest, BadInputGivesOneLineAndExitCodeTwoAndNoFiles) {
    WritePlate("plate.png");
    WriteFile("bad.png", "GIF89a nonsense");
    WriteFile("malformed.json", "{\"measurements\": [");
    fs::create_directories("empty");
    fs::create_directories("locked");
    WritePlate("locked/a.png");
    fs::permissions("locked", fs::perms::none);
    const std::vector<std::string> before = Listing();

    const std::string line = "--line=10.5,60.5,110.5,60.5";
    const struct {
        std::vector<std::string> arguments;
        const char* message;  // what the line says after "edgemeasure: error: "
    } cases[] = {
        // With one image, the overlay files must not appear either.
        {{"missing.png", line, "--overlay", "o.png", "--svg", "o.svg", "--report", "r.html"},
         "cannot read image 'missing.png': no such file"},
        {{"bad.png", line, "--svg", "o.svg"},
         "cannot read image 'bad.png': not a GIF file or damaged ("},
        {{"plate.png", "--job", "malformed.json"},
         "malformed.json:1:19: malformed JSON: the text ends before the JSON is complete"},
        {{"plate.png", "--job", "empty"}, "cannot read job file 'empty': is a folder"},
        {{"plate.png", "--overlay", "o.gif", line},
         "--overlay: 'o.gif' has no known picture extension"},
        {{"plate.png", "-o", "-", "--csv", "-", line}, "--csv: standard output already receives"},
        {{"--job", "none.json"}, "cannot read job file 'none.json'"},
        {{"empty", line}, "folder 'empty' holds no image"},
        {{"locked", line}, "cannot read folder 'locked'"},
        {{"plate.png", line, "--overlay-dir", "plate.png/sub"},
         "cannot create folder 'plate.png/sub'"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"measure", "-o", "out.json"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        // Permissions do not stop root: then the program runs as the user "nobody".
        const bool asNobody = c.arguments[0] == "locked" && ::geteuid() == 0;
        const ProgramRun run = Edgemeasure(
            arguments, asNobody ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "");
        EXPECT_EQ(run.exitCode, kExitBadInput) << c.message;
        EXPECT_EQ(run.out, "") << c.message;
        EXPECT_EQ(run.err.rfind(std::string("edgemeasure: error: ") + c.message, 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(Listing(), before) << c.message;
    }
}

TEST_F(ProgramTest, HelpGoesToStandardOutput) {
    const ProgramRun run = Edgemeasure({"--help"});
    EXPECT_EQ(run.exitCode, kExitOk);
    EXPECT_NE(run.out.find("edgemeasure demo [FOLDER]"), std::string::npos);
}

// The demo measures its synthetic plate with calipers within 0.02 px (0.005 degrees) of the true
// dimensions, beside the path search's errors, and writes its image, job, results and overlays.
TEST_F(ProgramTest, DemoMeasuresTheTrueDimensions) {
    const ProgramRun run = Edgemeasure({"demo", "demo"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.out << run.err;
    const json results = json::parse(ReadFile("demo/demo-results.json"));
    // With calipers the demo's figures meet the metrology targets, checked here against the
    // scene's own truth rather than the errors the demo prints.
    constexpr double kCaliperDemoPx = 0.02;
    constexpr double kCaliperDemoDeg = 0.005;
    const DemoScene truth;
    const json& hole = Measurement(results, "hole").at("circle");
    EXPECT_NEAR(X(hole.at("center")), truth.holeCentre.x, kCaliperDemoPx);
    EXPECT_NEAR(hole.at("center")[1].get<double>(), truth.holeCentre.y, kCaliperDemoPx);
    EXPECT_NEAR(hole.at("radius").get<double>(), truth.holeRadius, kCaliperDemoPx);
    EXPECT_NEAR(Measurement(results, "slot").at("pair").at("distance").get<double>(),
                truth.SlotWidth(), kCaliperDemoPx);
    const json& edge = Measurement(results, "edge").at("line");
    EXPECT_NEAR(edge.at("angle_deg").get<double>(),
                angles::DegreesFromRadians(truth.EdgeAngleRad()), kCaliperDemoDeg);
    // Where the fitted line crosses the height of the edge's reference point.
    const double px = edge.at("point")[0], py = edge.at("point")[1];
    const double dx = edge.at("direction")[0], dy = edge.at("direction")[1];
    EXPECT_NEAR(px + (truth.edgeY - py) * dx / dy, truth.EdgeXAt(truth.edgeY), kCaliperDemoPx);
    // The fit rejects the three calipers that cross the burr.
    EXPECT_EQ(edge.at("outliers").size(), 3u);
    const json& rows = results.at("demo").at("comparison");
    ASSERT_EQ(rows.size(), 6u);
    for (const json& row : rows) {
        EXPECT_GT(row.at("uncertainty").get<double>(), 0.0) << row;
        EXPECT_TRUE(row.at("path_error").is_number()) << row;
    }

    EXPECT_NE(run.out.find("hole radius (px)"), std::string::npos) << run.out;
    EXPECT_EQ(Listing(),
              (std::vector<std::string>{"demo", "demo/demo-image.png", "demo/demo-job.json",
                                        "demo/demo-overlay.png", "demo/demo-overlay.svg",
                                        "demo/demo-report.html", "demo/demo-results.json"}));
    // The SVG embeds the demo's image and shows the hole's caption.
    const std::string svg = ReadFile("demo/demo-overlay.svg");
    const std::string image = ReadFile("demo/demo-image.png");
    EXPECT_NE(svg.find(">hole  r 72.6"), std::string::npos);
    EXPECT_NE(svg.find("data:image/png;base64," +
                       Base64Encode(std::vector<unsigned char>(image.begin(), image.end())) + "\""),
              std::string::npos);
}

}  // namespace

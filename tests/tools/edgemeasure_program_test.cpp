// End-to-end tests of the edgemeasure program: it is run as a user runs it, on images and jobs
// written by the test, and its exit code, standard error and files are checked.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <stb/stb_image_write.h>
#include <nlohmann/json.hpp>

#include "DemoScene.h"
#include "ImageIO.h"
#include "SvgOverlay.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Positions: the library's sub-pixel refinement reports edges in steps of 1/8 pixel and 1/8
// step late along the path; oblique paths sample the nearest pixel. A quarter pixel more than
// covers both on the test images; the demo, with noise and blur, gets a little more.
constexpr double kTolerancePx = 0.25;
constexpr double kDemoTolerancePx = 0.3;
constexpr double kDemoToleranceDeg = 0.1;
constexpr int kExitOk = 0;
constexpr int kExitMeasurementFailed = 1;
constexpr int kExitBadInput = 2;

std::string ReadFile(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

// Writes 8-bit pixels (1 or 3 channels) in the format that the file name's extension names.
void WriteImage(const std::string& path, int width, int height, int channels,
                const std::vector<unsigned char>& pixels) {
    const std::string extension = fs::path(path).extension().string();
    constexpr int kBestJpegQuality = 100;
    if (extension == ".png") {
        stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels);
    } else if (extension == ".jpg") {
        stbi_write_jpg(path.c_str(), width, height, channels, pixels.data(), kBestJpegQuality);
    } else if (extension == ".bmp") {
        stbi_write_bmp(path.c_str(), width, height, channels, pixels.data());
    } else {  // portable grey map or pixel map
        WriteFile(path, (channels == 1 ? "P5\n" : "P6\n") + std::to_string(width) + " " +
                            std::to_string(height) + "\n255\n" +
                            std::string(pixels.begin(), pixels.end()));
    }
}

// The plate: a dark square x, y in [30, 90) and a dark disc of radius 35 about (170.5, 60.5) on
// a bright ground, 240 x 120 pixels.
constexpr int kPlateWidth = 240;
constexpr double kSquareLeft = 30.0;
constexpr double kSquareRight = 90.0;
constexpr double kDiscX = 170.5;
constexpr double kDiscY = 60.5;
constexpr double kDiscRadius = 35.0;

void WritePlate(const std::string& path) {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < kPlateWidth; ++x) {
            const double cx = x + 0.5, cy = y + 0.5;  // the pixel's centre
            const bool square = cx >= kSquareLeft && cx < kSquareRight && cy >= 30 && cy < 90;
            const bool disc = std::hypot(cx - kDiscX, cy - kDiscY) < kDiscRadius;
            pixels.push_back(square || disc ? 50 : 200);
        }
    }
    WriteImage(path, kPlateWidth, 120, 1, pixels);
}

const json& Measurement(const json& results, const std::string& name) {
    for (const json& m : results.at("measurements")) {
        if (m.at("name") == name) {
            return m;
        }
    }
    throw std::runtime_error("no measurement " + name);
}

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// A folder of its own for every test, removed afterwards.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("edgemeasure_test_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(m_dir / "locked", fs::perms::owner_all, ignored);
        fs::remove_all(m_dir, ignored);
    }

    // A file of the test's folder; in Expand, "@" stands for the folder.
    std::string At(const std::string& name) const { return (m_dir / name).string(); }
    std::string Expand(std::string text) const {
        const std::string dir = m_dir.string() + "/";
        for (auto at = text.find('@'); at != std::string::npos; at = text.find('@', at)) {
            text.replace(at, 1, dir);
        }
        return text;
    }

    // Runs the program (after `prefix`, if given) with its output captured.
    ProgramRun Edgemeasure(const std::vector<std::string>& arguments,
                           const std::string& prefix = "") const {
        const auto quote = [](const std::string& word) {
            std::string quoted = "'";
            for (char c : word) {
                quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
            }
            return quoted + "'";
        };
        std::string command = prefix + quote(EDGEMEASURE_PROGRAM);
        for (const std::string& argument : arguments) {
            command += " " + quote(argument);
        }
        const std::string out = m_dir.string() + ".out", err = m_dir.string() + ".err";
        command += " >" + quote(out) + " 2>" + quote(err) + " </dev/null";
        const int status = std::system(command.c_str());
        const ProgramRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out),
                             ReadFile(err)};
        fs::remove(out);
        fs::remove(err);
        return run;
    }

    // The names in the test's folder (recursively), hidden ones included.
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(
                 m_dir, fs::directory_options::skip_permission_denied)) {
            names.push_back(fs::relative(entry.path(), m_dir).string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    fs::path m_dir;
};

TEST_F(ProgramTest, RunsAJobFileOnAGeneratedImage) {
    WritePlate(At("plate.pgm"));
    WriteFile(At("job.json"), R"({
      "image": "plate.pgm",
      "measurements": [
        {"name": "square", "line": {"from": [10.5, 60.5], "to": [110.5, 60.5]},
         "transition": {"type": "band", "low": 0, "high": 120}, "search": {"mode": "pair"}},
        {"name": "disc", "kind": "circle",
         "radial": {"center": [170.5, 60.5], "inner": 10, "outer": 50, "count": 36},
         "transition": {"type": "band", "low": 0, "high": 120},
         "search": {"polarity": "leaving"}, "fit": {"filter": "none"}},
        {"name": "left side", "kind": "line",
         "parallel": {"from": [10.5, 35.5], "to": [60.5, 35.5], "count": 11, "step": [0, 5]},
         "transition": {"type": "band", "low": 0, "high": 120}, "search": {"polarity": "entering"},
         "fit": {"filter": "stddev"}},
        {"name": "all edges", "line": {"from": [10.5, 60.5], "to": [230.5, 60.5]},
         "search": {"mode": "all"}, "subpixel": false}
      ]})");
    const ProgramRun run = Edgemeasure({"measure", "--job", At("job.json"), "-o", At("out.json"),
                                        "--overlay", At("o.png"), "--svg", At("o.svg")});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.err, "");
    const json results = json::parse(ReadFile(At("out.json")));
    EXPECT_TRUE(results.at("ok"));

    const json& pair = Measurement(results, "square").at("pair");
    EXPECT_NEAR(pair.at("distance").get<double>(), kSquareRight - kSquareLeft, kTolerancePx);
    EXPECT_NEAR(pair.at("first").at("subpixel").at("point")[0].get<double>(), kSquareLeft,
                kTolerancePx);
    EXPECT_EQ(pair.at("first").at("point")[0], kSquareLeft + 0.5);  // the first dark pixel

    const json& circle = Measurement(results, "disc").at("circle");
    EXPECT_NEAR(circle.at("center")[0].get<double>(), kDiscX, kTolerancePx);
    EXPECT_NEAR(circle.at("center")[1].get<double>(), kDiscY, kTolerancePx);
    EXPECT_NEAR(circle.at("radius").get<double>(), kDiscRadius, kTolerancePx);
    EXPECT_EQ(circle.at("inliers").size(), 36u);

    const json& line = Measurement(results, "left side").at("line");
    EXPECT_NEAR(line.at("angle_deg").get<double>(), 90.0, kDemoToleranceDeg);
    EXPECT_NEAR(line.at("point")[0].get<double>(), kSquareLeft, kTolerancePx);

    // Along y = 60.5: into and out of the square, into and out of the disc.
    const json& edges = Measurement(results, "all edges").at("edges");
    ASSERT_EQ(edges.size(), 4u);
    EXPECT_EQ(edges[3].at("point")[0], kDiscX + kDiscRadius - 1.0);  // the last dark pixel
    EXPECT_TRUE(edges[0].at("subpixel").is_null());

    EXPECT_EQ(LoadGreyImage(At("o.png")).GetWidth(), kPlateWidth);
    EXPECT_NE(ReadFile(At("o.svg")).find("disc  r 35."), std::string::npos);
}

// Every image format reads to the same edge; colour is made grey. The edge lies on a JPEG block
// border, bright (grey 200, or a colour of about that brightness) left of it, dark right of it.
TEST_F(ProgramTest, EveryImageFormatMeasuresTheSameEdge) {
    constexpr int kWidth = 64, kHeight = 48, kEdgeX = 32;
    const unsigned char bright[3] = {230, 190, 180}, dark[3] = {40, 40, 40};
    for (const auto& [extension, channels] : std::vector<std::pair<std::string, int>>{
             {"png", 1}, {"jpg", 3}, {"bmp", 3}, {"pgm", 1}, {"ppm", 3}}) {
        std::vector<unsigned char> pixels;
        for (int k = 0; k < kWidth * kHeight; ++k) {
            const unsigned char* colour = k % kWidth < kEdgeX ? bright : dark;
            pixels.insert(pixels.end(), colour, colour + channels);
        }
        const std::string file = At("edge." + extension);
        WriteImage(file, kWidth, kHeight, channels, pixels);
        const ProgramRun run =
            Edgemeasure({"measure", file, "--line", "4.5,24.5,59.5,24.5", "--transition",
                         "band:0,100", "--polarity", "entering"});
        ASSERT_EQ(run.exitCode, kExitOk) << extension << ": " << run.err;
        const json edge = json::parse(run.out).at("measurements")[0].at("edges")[0];
        EXPECT_NEAR(edge.at("subpixel").at("point")[0].get<double>(), kEdgeX, kTolerancePx)
            << extension;
    }
}

// A line that starts left of the image, and an arc round the disc that leaves it at the top.
TEST_F(ProgramTest, PathsPartlyOutsideTheImageStillMeasure) {
    WritePlate(At("plate.png"));
    ProgramRun run = Edgemeasure({"measure", At("plate.png"), "--line", "-40.5,60.5,60.5,60.5",
                                  "--transition", "band:0,120"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    const json edge = json::parse(run.out).at("measurements")[0].at("edges")[0];
    EXPECT_NEAR(edge.at("subpixel").at("point")[0].get<double>(), kSquareLeft, kTolerancePx);

    run = Edgemeasure({"measure", At("plate.png"), "--arc", "170.5,-20.5,90", "--search", "all",
                       "--transition", "band:0,120"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_GE(json::parse(run.out).at("measurements")[0].at("edges").size(), 2u);
}

// A missing edge or a fit without enough edges is a result (exit code 1), with its reason.
TEST_F(ProgramTest, MissingEdgesAreResultsNotErrors) {
    WritePlate(At("plate.png"));
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--line", "100.5,10.5,130.5,10.5"}, "no edge found"},
        {{"--line", "100.5,10.5,130.5,10.5", "--search", "pair"}, "no edge pair found"},
        // An arc about the square's right side crosses it twice: too few for a circle.
        {{"--arc", "90,60.5,20", "--fit", "circle", "--search", "all"},
         "too few edges to fit (2 found, 3 needed)"},
    };
    for (const auto& [path, problem] : cases) {
        std::vector<std::string> arguments = {"measure", At("plate.png"), "-o", At("out.json")};
        arguments.insert(arguments.end(), path.begin(), path.end());
        const ProgramRun run = Edgemeasure(arguments);
        EXPECT_EQ(run.exitCode, kExitMeasurementFailed) << problem << ": " << run.err;
        const json m = json::parse(ReadFile(At("out.json"))).at("measurements")[0];
        EXPECT_FALSE(m.at("ok")) << problem;
        EXPECT_EQ(m.at("problem"), problem);
    }
}

TEST_F(ProgramTest, BatchMeasuresEveryReadableImage) {
    fs::create_directories(At("in"));
    WritePlate(At("in/a.png"));
    WritePlate(At("in/b.pgm"));
    WriteFile(At("in/c.png"), "not a picture");
    WriteFile(At("in/notes.txt"), "ignored");
    const ProgramRun run = Edgemeasure({"measure", At("in"), "--line", "10.5,60.5,110.5,60.5",
                                        "--overlay-dir", At("overlays"), "-o", At("out.json")});
    EXPECT_EQ(run.exitCode, kExitBadInput);
    // One line for the bad image, and no progress line: standard error is not a terminal.
    EXPECT_NE(run.err.find("cannot decode image '" + At("in/c.png") + "'"), std::string::npos);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    const json images = json::parse(ReadFile(At("out.json"))).at("images");
    ASSERT_EQ(images.size(), 3u);
    EXPECT_TRUE(images[0].at("ok") && images[1].at("ok") && images[2].contains("error"));
    EXPECT_EQ(Listing(), (std::vector<std::string>{
                             "in", "in/a.png", "in/b.pgm", "in/c.png", "in/notes.txt", "out.json",
                             "overlays", "overlays/a.overlay.png", "overlays/a.overlay.svg",
                             "overlays/b.overlay.png", "overlays/b.overlay.svg"}));
}

// Bad input: one line on standard error naming the problem, exit code 2, no file written.
TEST_F(ProgramTest, BadInputGivesOneLineAndExitCodeTwoAndNoFiles) {
    WritePlate(At("plate.png"));
    WriteFile(At("bad.png"), "GIF89a nonsense");
    const std::string png = ReadFile(At("plate.png"));
    WriteFile(At("cut.png"), png.substr(0, png.size() / 2));
    WriteFile(At("malformed.json"), "{\"measurements\": [");
    WriteFile(At("range.json"), R"({"measurements": [{"line": {"from": [0, 0], "to": [9, 9]},
                                    "transition": {"type": "band", "low": 300, "high": 10}}]})");
    fs::create_directories(At("empty"));
    fs::create_directories(At("locked"));
    WritePlate(At("locked/a.png"));
    fs::permissions(At("locked"), fs::perms::none);
    const std::vector<std::string> before = Listing();

    const std::string line = "--line=10.5,60.5,110.5,60.5";
    const struct {
        std::vector<std::string> arguments;  // "@" stands for the test's folder
        const char* message;                 // part of the line, "@" likewise
    } cases[] = {
        // With one image, the overlay files must not appear either.
        {{"@missing.png", line, "--overlay", "@o.png", "--svg", "@o.svg"},
         "cannot read image '@missing.png': no such file"},
        {{"@bad.png", line, "--overlay", "@o.png"}, "cannot decode image '@bad.png'"},
        {{"@cut.png", line, "--svg", "@o.svg"}, "cannot decode image '@cut.png'"},
        {{"@plate.png", "--job", "@malformed.json"}, "@malformed.json: malformed JSON"},
        {{"@plate.png", "--job", "@range.json"},
         "measurements[0].transition.low: 300 is outside 0..255"},
        {{"--job", "@none.json"}, "cannot read job file '@none.json'"},
        {{"@empty", line}, "folder '@empty' holds no image"},
        {{"@locked", line}, "cannot read folder '@locked'"},
        {{"@plate.png", line, "--overlay-dir", "@plate.png/sub"},
         "cannot create folder '@plate.png/sub'"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"measure", "-o", Expand("@out.json")};
        for (const std::string& a : c.arguments) {
            arguments.push_back(Expand(a));
        }
        // Permissions do not stop root: then the program runs as the user "nobody".
        const bool asNobody = c.arguments[0] == "@locked" && ::geteuid() == 0;
        const ProgramRun run = Edgemeasure(
            arguments, asNobody ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "");
        const std::string message = Expand(c.message);
        EXPECT_EQ(run.exitCode, kExitBadInput) << message;
        EXPECT_EQ(run.out, "") << message;
        EXPECT_EQ(run.err.rfind("edgemeasure: error: ", 0), 0u) << message << ": " << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(Listing(), before) << message;
    }
}

TEST_F(ProgramTest, HelpAndUsage) {
    ProgramRun run = Edgemeasure({"--help"});
    EXPECT_EQ(run.exitCode, kExitOk);
    EXPECT_NE(run.out.find("edgemeasure demo [FOLDER]"), std::string::npos);
    run = Edgemeasure({});
    EXPECT_EQ(run.exitCode, kExitBadInput);
    EXPECT_EQ(run.err, "edgemeasure: error: no command given (see edgemeasure --help)\n");
}

// The demo measures its synthetic plate close to the true dimensions, prints the comparison and
// writes pictures that decode.
TEST_F(ProgramTest, DemoMeasuresTheTrueDimensions) {
    const ProgramRun run = Edgemeasure({"demo", At("demo")});
    ASSERT_EQ(run.exitCode, kExitOk) << run.out << run.err;
    const DemoScene truth;
    const json results = json::parse(ReadFile(At("demo/demo-results.json")));
    const json& hole = Measurement(results, "hole").at("circle");
    EXPECT_NEAR(hole.at("center")[0].get<double>(), truth.holeCentre.x, kDemoTolerancePx);
    EXPECT_NEAR(hole.at("center")[1].get<double>(), truth.holeCentre.y, kDemoTolerancePx);
    EXPECT_NEAR(hole.at("radius").get<double>(), truth.holeRadius, kDemoTolerancePx);
    EXPECT_NEAR(Measurement(results, "slot").at("pair").at("distance").get<double>(),
                truth.SlotWidth(), kDemoTolerancePx);
    const json& edge = Measurement(results, "edge").at("line");
    constexpr double kDegreesPerRadian = 57.29577951308232;
    EXPECT_NEAR(edge.at("angle_deg").get<double>(), truth.EdgeAngleRad() * kDegreesPerRadian,
                kDemoToleranceDeg);
    // Where the fitted line crosses the height of the edge's reference point.
    const double px = edge.at("point")[0], py = edge.at("point")[1];
    const double dx = edge.at("direction")[0], dy = edge.at("direction")[1];
    EXPECT_NEAR(px + (truth.edgeY - py) * dx / dy, truth.EdgeXAt(truth.edgeY), kDemoTolerancePx);
    // DETSAC rejects the edge points on the burr (three of the lines cross it).
    EXPECT_EQ(edge.at("outliers").size(), 3u);

    EXPECT_NE(run.out.find("hole radius (px)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Wrote into " + At("demo")), std::string::npos) << run.out;
    EXPECT_EQ(results.at("demo").at("comparison").size(), 6u);
    EXPECT_EQ(Listing(),
              (std::vector<std::string>{"demo", "demo/demo-image.png", "demo/demo-job.json",
                                        "demo/demo-overlay.png", "demo/demo-overlay.svg",
                                        "demo/demo-results.json"}));
    for (const char* picture : {"demo/demo-image.png", "demo/demo-overlay.png"}) {
        const OType_Image image = LoadGreyImage(At(picture));
        EXPECT_EQ(image.GetWidth(), truth.width) << picture;
        EXPECT_EQ(image.GetHeight(), truth.height) << picture;
    }
    // The SVG embeds the demo's image and shows the paths and the pair search's label.
    const std::string svg = ReadFile(At("demo/demo-overlay.svg"));
    const std::string image = ReadFile(At("demo/demo-image.png"));
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
    EXPECT_NE(svg.find("<polyline"), std::string::npos);
    EXPECT_NE(svg.find(">E1</text>"), std::string::npos);
    EXPECT_NE(svg.find("data:image/png;base64," +
                       Base64Encode(std::vector<unsigned char>(image.begin(), image.end())) + "\""),
              std::string::npos);
}

}  // namespace

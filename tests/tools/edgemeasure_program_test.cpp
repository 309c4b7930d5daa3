// End-to-end tests of the edgemeasure program: it is run as a user runs it, on images and jobs
// written by the test, and its exit code, standard error and files are checked.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <stb/stb_image_write.h>
#include <nlohmann/json.hpp>

#include "DemoScene.h"
#include "ImageIO.h"

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

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

std::string Quote(const std::string& argument) {
    std::string quoted = "'";
    for (char c : argument) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// A folder of its own for every test, removed afterwards.
class ProgramTest : public ::testing::Test {
  public:
    // A file of the test's folder.
    std::string At(const std::string& name) const { return (m_dir / name).string(); }

  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name();
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        m_dir =
            fs::temp_directory_path() / ("edgemeasure_" + name + "_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_dir, ignored);
    }

    fs::path Dir() const { return m_dir; }

    // Runs the program (after the words of `prefix`, if any) with its output captured.
    ProgramRun Edgemeasure(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& prefix = {}) const {
        std::string command;
        for (const std::string& word : prefix) {
            command += Quote(word) + " ";
        }
        command += Quote(EDGEMEASURE_PROGRAM);
        for (const std::string& argument : arguments) {
            command += " " + Quote(argument);
        }
        const fs::path out = fs::temp_directory_path() / ("em_out_" + std::to_string(::getpid()));
        const fs::path err = fs::temp_directory_path() / ("em_err_" + std::to_string(::getpid()));
        command += " >" + Quote(out.string()) + " 2>" + Quote(err.string()) + " </dev/null";
        const int status = std::system(command.c_str());
        ProgramRun run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadFile(out);
        run.err = ReadFile(err);
        fs::remove(out);
        fs::remove(err);
        return run;
    }

    // The names in the test's folder (recursively), hidden ones included.
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(m_dir)) {
            names.push_back(fs::relative(entry.path(), m_dir).string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    fs::path m_dir;
};

// A grey image drawn by a function of the pixel centre.
struct GreyImage {
    int width;
    int height;
    std::vector<unsigned char> pixels;
};

GreyImage Draw(int width, int height, const std::function<int(double, double)>& grey) {
    GreyImage image{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.pixels.push_back(static_cast<unsigned char>(grey(x + 0.5, y + 0.5)));
        }
    }
    return image;
}

void WritePgm(const std::string& path, const GreyImage& image) {
    WriteFile(path, "P5\n" + std::to_string(image.width) + " " + std::to_string(image.height) +
                        "\n255\n" + std::string(image.pixels.begin(), image.pixels.end()));
}

void WritePng(const std::string& path, const GreyImage& image) {
    ASSERT_NE(stbi_write_png(path.c_str(), image.width, image.height, 1, image.pixels.data(),
                             image.width),
              0);
}

// The plate of the job test: a dark square x, y in [30, 90) and a dark disc of radius 35 about
// (170.5, 60.5) on a bright ground.
constexpr double kSquareLeft = 30.0;
constexpr double kSquareRight = 90.0;
constexpr double kDiscX = 170.5;
constexpr double kDiscY = 60.5;
constexpr double kDiscRadius = 35.0;

GreyImage Plate() {
    return Draw(240, 120, [](double x, double y) {
        const bool inSquare = x >= kSquareLeft && x < kSquareRight && y >= 30 && y < 90;
        const bool inDisc = std::hypot(x - kDiscX, y - kDiscY) < kDiscRadius;
        return inSquare || inDisc ? 50 : 200;
    });
}

const json& Measurement(const json& results, const std::string& name) {
    for (const json& m : results.at("measurements")) {
        if (m.at("name") == name) {
            return m;
        }
    }
    throw std::runtime_error("no measurement " + name);
}

TEST_F(ProgramTest, RunsAJobFileOnAGeneratedImage) {
    WritePgm(At("plate.pgm"), Plate());
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
    EXPECT_EQ(results.at("image").at("width"), 240);
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
    EXPECT_TRUE(circle.at("quality").at("sigma_all").is_number());

    const json& line = Measurement(results, "left side").at("line");
    EXPECT_NEAR(line.at("angle_deg").get<double>(), 90.0, kDemoToleranceDeg);
    EXPECT_NEAR(line.at("point")[0].get<double>(), kSquareLeft, kTolerancePx);

    // Along y = 60.5: into and out of the square, into and out of the disc.
    const json& edges = Measurement(results, "all edges").at("edges");
    ASSERT_EQ(edges.size(), 4u);
    EXPECT_EQ(edges[3].at("point")[0], kDiscX + kDiscRadius - 1.0);  // the last dark pixel
    EXPECT_TRUE(edges[0].at("subpixel").is_null());

    EXPECT_EQ(LoadGreyImage(At("o.png")).GetWidth(), 240);
    EXPECT_NE(ReadFile(At("o.svg")).find("disc  r 35."), std::string::npos);
}

// Every image format reads to the same grey image; colour is made grey.
struct FormatCase {
    const char* name;
    std::function<void(const std::string&, int, int, const unsigned char*)> write;
    int channels;
};

// Test listings show the case by its name.
void PrintTo(const FormatCase& c, std::ostream* out) {
    *out << c.name;
}

class ImageFormats : public ProgramTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(ImageFormats, MeasureTheSameEdge) {
    const FormatCase& c = GetParam();
    constexpr int kWidth = 64;
    constexpr int kHeight = 48;
    constexpr int kEdgeX = 32;  // on a JPEG block border
    // Bright (grey 200, or a colour of about that brightness) left of the edge, dark right of it.
    const unsigned char bright[3] = {230, 190, 180};
    const unsigned char dark[3] = {40, 40, 40};
    std::vector<unsigned char> pixels;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char* colour = x < kEdgeX ? bright : dark;
            pixels.insert(pixels.end(), colour, colour + c.channels);
        }
    }
    const std::string file = At(std::string("edge.") + c.name);
    c.write(file, kWidth, kHeight, pixels.data());
    const ProgramRun run = Edgemeasure({"measure", file, "--line", "4.5,24.5,59.5,24.5",
                                        "--transition", "band:0,100", "--polarity", "entering"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    const json edge = json::parse(run.out).at("measurements")[0].at("edges")[0];
    EXPECT_NEAR(edge.at("subpixel").at("point")[0].get<double>(), kEdgeX, kTolerancePx);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImageFormats,
    ::testing::Values(FormatCase{"png",
                                 [](const std::string& f, int w, int h, const unsigned char* p) {
                                     stbi_write_png(f.c_str(), w, h, 1, p, w);
                                 },
                                 1},
                      FormatCase{"colour.png",
                                 [](const std::string& f, int w, int h, const unsigned char* p) {
                                     stbi_write_png(f.c_str(), w, h, 3, p, 3 * w);
                                 },
                                 3},
                      FormatCase{"jpg",
                                 [](const std::string& f, int w, int h, const unsigned char* p) {
                                     constexpr int kBestQuality = 100;
                                     stbi_write_jpg(f.c_str(), w, h, 3, p, kBestQuality);
                                 },
                                 3},
                      FormatCase{"bmp",
                                 [](const std::string& f, int w, int h, const unsigned char* p) {
                                     stbi_write_bmp(f.c_str(), w, h, 3, p);
                                 },
                                 3},
                      FormatCase{"pgm",
                                 [](const std::string& f, int w, int h, const unsigned char* p) {
                                     WritePgm(f, {w, h, std::vector<unsigned char>(p, p + w * h)});
                                 },
                                 1},
                      FormatCase{"ppm",
                                 [](const std::string& f, int w, int h, const unsigned char* p) {
                                     WriteFile(f, "P6\n" + std::to_string(w) + " " +
                                                      std::to_string(h) + "\n255\n" +
                                                      std::string(p, p + 3 * w * h));
                                 },
                                 3}),
    [](const ::testing::TestParamInfo<FormatCase>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    });

TEST_F(ProgramTest, PathsPartlyOutsideTheImageStillMeasure) {
    WritePng(At("plate.png"), Plate());
    // A line that starts left of the image, and an arc round the disc that leaves it at the top.
    ProgramRun run = Edgemeasure({"measure", At("plate.png"), "--line", "-40.5,60.5,60.5,60.5",
                                  "--transition", "band:0,120"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    json edge = json::parse(run.out).at("measurements")[0].at("edges")[0];
    EXPECT_NEAR(edge.at("subpixel").at("point")[0].get<double>(), kSquareLeft, kTolerancePx);

    run = Edgemeasure({"measure", At("plate.png"), "--arc", "170.5,-20.5,90", "--search", "all",
                       "--transition", "band:0,120"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_GE(json::parse(run.out).at("measurements")[0].at("edges").size(), 2u);
}

// A missing edge or a fit without enough edges is a result (exit code 1), with its reason.
TEST_F(ProgramTest, MissingEdgesAreResultsNotErrors) {
    WritePng(At("plate.png"), Plate());
    const struct {
        std::vector<std::string> path;
        const char* problem;
    } cases[] = {
        {{"--line", "100.5,10.5,130.5,10.5"}, "no edge found"},
        {{"--line", "100.5,10.5,130.5,10.5", "--search", "pair"}, "no edge pair found"},
        // An arc about the square's right side crosses it twice: too few for a circle.
        {{"--arc", "90,60.5,20", "--fit", "circle", "--search", "all"},
         "too few edges to fit (2 found, 3 needed)"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"measure", At("plate.png"), "-o", At("out.json")};
        arguments.insert(arguments.end(), c.path.begin(), c.path.end());
        const ProgramRun run = Edgemeasure(arguments);
        EXPECT_EQ(run.exitCode, kExitMeasurementFailed) << c.problem << ": " << run.err;
        const json m = json::parse(ReadFile(At("out.json"))).at("measurements")[0];
        EXPECT_FALSE(m.at("ok")) << c.problem;
        EXPECT_EQ(m.at("problem"), c.problem);
    }
}

TEST_F(ProgramTest, BatchMeasuresEveryReadableImage) {
    fs::create_directories(Dir() / "in");
    WritePng(At("in/a.png"), Plate());
    WritePgm(At("in/b.pgm"), Plate());
    WriteFile(At("in/c.png"), "not a picture");
    WriteFile(At("in/notes.txt"), "ignored");
    const ProgramRun run = Edgemeasure({"measure", At("in"), "--line", "10.5,60.5,110.5,60.5",
                                        "--overlay-dir", At("overlays"), "-o", At("out.json")});
    EXPECT_EQ(run.exitCode, kExitBadInput);
    // One line for the bad image, and no progress line: standard error is not a terminal.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find("cannot decode image '" + At("in/c.png") + "'"), std::string::npos);
    const json images = json::parse(ReadFile(At("out.json"))).at("images");
    ASSERT_EQ(images.size(), 3u);
    EXPECT_TRUE(images[0].at("ok"));
    EXPECT_TRUE(images[1].at("ok"));
    EXPECT_TRUE(images[2].contains("error"));
    EXPECT_EQ(Listing(), (std::vector<std::string>{
                             "in", "in/a.png", "in/b.pgm", "in/c.png", "in/notes.txt", "out.json",
                             "overlays", "overlays/a.overlay.png", "overlays/a.overlay.svg",
                             "overlays/b.overlay.png", "overlays/b.overlay.svg"}));
}

// Bad input: one line on standard error naming the problem, exit code 2, no file written.
struct BadInputCase {
    const char* name;
    bool locksAFolder;  // needs a user whom permissions stop
    std::function<void(const ProgramTest&)> prepare;
    std::vector<std::string> arguments;  // "@name" stands for a file of the test's folder
    const char* message;                 // part of the line, "@name" likewise
};

// Test listings show the case by its name.
void PrintTo(const BadInputCase& c, std::ostream* out) {
    *out << c.name;
}

class BadInput : public ProgramTest, public ::testing::WithParamInterface<BadInputCase> {
  protected:
    std::string Expand(const std::string& text) const {
        std::string result = text;
        for (std::size_t at = result.find('@'); at != std::string::npos; at = result.find('@')) {
            std::size_t end = at + 1;
            while (end < result.size() && result[end] != ' ' && result[end] != '\'') {
                ++end;
            }
            result.replace(at, end - at, At(result.substr(at + 1, end - at - 1)));
        }
        return result;
    }
};

TEST_P(BadInput, OneLineExitCodeTwoNoOutput) {
    const BadInputCase& c = GetParam();
    // Permissions do not stop root: then the program runs as the user "nobody".
    std::vector<std::string> prefix;
    if (c.locksAFolder && ::geteuid() == 0) {
        const char* const kSetpriv = "/usr/bin/setpriv";
        if (!fs::exists(kSetpriv)) {
            GTEST_SKIP() << "running as root without " << kSetpriv;
        }
        prefix = {kSetpriv, "--reuid=65534", "--regid=65534", "--clear-groups"};
    }
    c.prepare(*this);
    const std::vector<std::string> before = Listing();
    std::vector<std::string> arguments;
    for (const std::string& a : c.arguments) {
        arguments.push_back(Expand(a));
    }
    arguments.push_back("-o");
    arguments.push_back(Expand("@out.json"));
    const ProgramRun run = Edgemeasure(arguments, prefix);
    EXPECT_EQ(run.exitCode, kExitBadInput) << c.name;
    EXPECT_EQ(run.out, "") << c.name;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.name << ": " << run.err;
    EXPECT_EQ(run.err.rfind("edgemeasure: error: ", 0), 0u) << c.name << ": " << run.err;
    EXPECT_NE(run.err.find(Expand(c.message)), std::string::npos) << c.name << ": " << run.err;
    EXPECT_EQ(Listing(), before) << c.name;
}

const std::vector<std::string> kLine = {"--line", "10.5,60.5,110.5,60.5"};
// With one image, the overlay files must not appear either.
const std::vector<std::string> kLineWithOverlays = {
    "--line", "10.5,60.5,110.5,60.5", "--overlay", "@o.png", "--svg", "@o.svg"};

std::vector<std::string> Args(std::vector<std::string> first,
                              const std::vector<std::string>& rest) {
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadInput,
    ::testing::Values(
        BadInputCase{"MissingImage", false, [](const ProgramTest&) {},
                     Args({"measure", "@missing.png"}, kLineWithOverlays),
                     "cannot read image '@missing.png': no such file"},
        BadInputCase{"CorruptImage", false,
                     [](const ProgramTest& t) { WriteFile(t.At("bad.png"), "GIF89a nonsense"); },
                     Args({"measure", "@bad.png"}, kLineWithOverlays),
                     "cannot decode image '@bad.png'"},
        BadInputCase{"TruncatedImage", false,
                     [](const ProgramTest& t) {
                         WritePng(t.At("whole.png"), Plate());
                         const std::string png = ReadFile(t.At("whole.png"));
                         WriteFile(t.At("cut.png"), png.substr(0, png.size() / 2));
                         fs::remove(t.At("whole.png"));
                     },
                     Args({"measure", "@cut.png"}, kLineWithOverlays),
                     "cannot decode image '@cut.png'"},
        BadInputCase{"MalformedJob",
                     false,
                     [](const ProgramTest& t) {
                         WritePng(t.At("p.png"), Plate());
                         WriteFile(t.At("job.json"), "{\"measurements\": [");
                     },
                     {"measure", "@p.png", "--job", "@job.json"},
                     "@job.json: malformed JSON"},
        BadInputCase{"OutOfRangeInJob",
                     false,
                     [](const ProgramTest& t) {
                         WritePng(t.At("p.png"), Plate());
                         WriteFile(t.At("job.json"),
                                   R"({"measurements": [{"line": {"from": [0, 0], "to": [9, 9]},
                                       "transition": {"type": "band", "low": 300, "high": 10}}]})");
                     },
                     {"measure", "@p.png", "--job", "@job.json"},
                     "measurements[0].transition.low: 300 is outside 0..255"},
        BadInputCase{"OutOfRangeOption", false,
                     [](const ProgramTest& t) { WritePng(t.At("p.png"), Plate()); },
                     Args({"measure", "@p.png", "--radial", "50,50,10,40,0"}, {}),
                     "radial.count: 0 is outside 1..1000"},
        BadInputCase{"MissingJob",
                     false,
                     [](const ProgramTest&) {},
                     {"measure", "--job", "@none.json"},
                     "cannot read job file '@none.json'"},
        BadInputCase{"EmptyFolder", false,
                     [](const ProgramTest& t) { fs::create_directories(t.At("empty")); },
                     Args({"measure", "@empty"}, kLine), "folder '@empty' holds no image"},
        BadInputCase{"UnreadableFolder", true,
                     [](const ProgramTest& t) {
                         fs::create_directories(t.At("locked"));
                         WritePng(t.At("locked/a.png"), Plate());
                         fs::permissions(t.At("locked"), fs::perms::none);
                     },
                     Args({"measure", "@locked"}, kLine), "cannot read folder '@locked'"},
        BadInputCase{"OverlayFolderImpossible", false,
                     [](const ProgramTest& t) { WritePng(t.At("p.png"), Plate()); },
                     Args({"measure", "@p.png", "--overlay-dir", "@p.png/sub"}, kLine),
                     "cannot create folder '@p.png/sub'"}),
    [](const ::testing::TestParamInfo<BadInputCase>& info) { return info.param.name; });

TEST_F(ProgramTest, HelpAndUsage) {
    ProgramRun run = Edgemeasure({"--help"});
    EXPECT_EQ(run.exitCode, kExitOk);
    EXPECT_NE(run.out.find("edgemeasure demo [FOLDER]"), std::string::npos);
    run = Edgemeasure({});
    EXPECT_EQ(run.exitCode, kExitBadInput);
    EXPECT_EQ(run.err, "edgemeasure: error: no command given (see edgemeasure --help)\n");
}

// The demo is run once; its tests read what it printed and wrote.
class Demo : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_dir = fs::temp_directory_path() / ("edgemeasure_demo_" + std::to_string(::getpid()));
        fs::remove_all(s_dir);
        const std::string command = std::string("'") + EDGEMEASURE_PROGRAM + "' demo '" +
                                    s_dir.string() + "' >'" + (s_dir.string() + ".out") + "'";
        const int status = std::system(command.c_str());
        s_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        s_out = ReadFile(s_dir.string() + ".out");
        fs::remove(s_dir.string() + ".out");
    }
    static void TearDownTestSuite() { fs::remove_all(s_dir); }

    static json Results() { return json::parse(ReadFile(s_dir / "demo-results.json")); }

    static fs::path s_dir;
    static int s_exitCode;
    static std::string s_out;
};

fs::path Demo::s_dir;
int Demo::s_exitCode = -1;
std::string Demo::s_out;

TEST_F(Demo, MeasuresTheTrueDimensions) {
    ASSERT_EQ(s_exitCode, kExitOk) << s_out;
    const DemoScene truth;
    const json results = Results();
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
}

TEST_F(Demo, PrintsTheComparisonAndWhereTheFilesAre) {
    EXPECT_NE(s_out.find("quantity"), std::string::npos) << s_out;
    EXPECT_NE(s_out.find("hole radius (px)"), std::string::npos) << s_out;
    EXPECT_NE(s_out.find("Wrote into " + s_dir.string()), std::string::npos) << s_out;
    EXPECT_EQ(Results().at("demo").at("comparison").size(), 6u);
}

TEST_F(Demo, WritesPicturesThatDecode) {
    const DemoScene scene;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(s_dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"demo-image.png", "demo-job.json", "demo-overlay.png",
                                        "demo-overlay.svg", "demo-results.json"}));
    const OType_Image overlay = LoadGreyImage((s_dir / "demo-overlay.png").string());
    EXPECT_EQ(overlay.GetWidth(), scene.width);
    EXPECT_EQ(overlay.GetHeight(), scene.height);

    const std::string svg = ReadFile(s_dir / "demo-overlay.svg");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
    EXPECT_NE(svg.find("<polyline"), std::string::npos);
    EXPECT_NE(svg.find(">E1</text>"), std::string::npos);  // the pair search's label
    // The embedded image decodes to the image's size.
    const std::string marker = "data:image/png;base64,";
    const std::size_t begin = svg.find(marker);
    ASSERT_NE(begin, std::string::npos);
    const std::size_t start = begin + marker.size();
    const std::string base64 = svg.substr(start, svg.find('"', start) - start);
    std::string png;
    unsigned bits = 0;
    int count = 0;
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (char c : base64) {
        if (c == '=') {
            break;
        }
        bits = (bits << 6) | static_cast<unsigned>(alphabet.find(c));
        count += 6;
        if (count >= 8) {
            count -= 8;
            png.push_back(static_cast<char>((bits >> count) & 0xFF));
        }
    }
    const fs::path embedded = s_dir.string() + ".embedded.png";
    WriteFile(embedded, png);
    const OType_Image background = LoadGreyImage(embedded.string());
    fs::remove(embedded);
    EXPECT_EQ(background.GetWidth(), scene.width);
    EXPECT_EQ(background.GetHeight(), scene.height);
}

}  // namespace

// The pictures a user gets: the HTML report (one page for a batch, names shown as text however
// they are spelt, verdicts as row classes, nothing that the page would fetch from elsewhere; how
// it looks and behaves in a browser is check_report.py's part) and overlay lines that grow with
// the image.

#include <cstdio>

#include "ProgramFixture.h"

namespace {

using namespace edgemeasure_test;

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(ProgramTest, ReportHoldsEveryImageAsTextAndNothingFromOutside) {
    fs::create_directory("images");
    WritePlate("images/a.pgm");
    WriteFile("images/b.png", "\x89PNG not really");
    const std::string name = R"(<script>alert(1)</script> & \"co\")";
    WriteFile("job.json", R"({"measurements": [
      {"name": ")" + name + R"(", "line": {"from": [10.5, 60.5], "to": [110.5, 60.5]},
       "search": {"mode": "pair"}, "nominal": 60, "tolerance": 0.5},
      {"name": "too wide", "line": {"from": [10.5, 60.5], "to": [110.5, 60.5]},
       "search": {"mode": "pair"}, "nominal": 50, "tolerance": 0.5},
      {"name": "off", "line": {"from": [300.5, 10.5], "to": [400.5, 10.5]}}]})");
    const ProgramRun run = Edgemeasure(
        {"measure", "--job", "job.json", "images", "--report", "r.html", "-o", "r.json"});
    EXPECT_EQ(run.exitCode, kExitBadInput) << "an unreadable image in the batch";
    const std::string html = ReadFile("r.html");

    EXPECT_EQ(Count(html, "<section class=\"image\""), 2u);
    EXPECT_EQ(Count(html, "not a PNG file or damaged"), 1u);
    EXPECT_EQ(html.find("<script>alert"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; &quot;co&quot;"),
              std::string::npos);
    // Measurement rows by verdict, and the summary's rows by image.
    EXPECT_EQ(Count(html, "<tr class=\"pass\" data-view="), 1u);
    EXPECT_EQ(Count(html, "<tr class=\"fail\" data-view="), 1u);
    EXPECT_EQ(Count(html, "<tr class=\"failed\" data-view="), 1u);
    EXPECT_EQ(Count(html, "<tr class=\"failed\"><td><a href=\"#image-2\">"), 1u);

    // Self-contained: the only address is the SVG namespace, the policy forbids loading.
    EXPECT_EQ(Count(html, "://"), Count(html, "http://www.w3.org/2000/svg"));
    EXPECT_NE(html.find("content=\"default-src 'none';"), std::string::npos);
}

// A path on an image of 2.6 times the nominal size is 3 px wide in the picture, centred on its row;
// a caliper's outline (5 px wide about the same row) stays 1 px thin.
TEST_F(ProgramTest, OverlayLinesGrowWithTheImage) {
    constexpr int kWidth = 2600, kHeight = 60, kRow = 30, kColumn = 2000;  // clear of the caption
    WriteImage("wide.pgm", kWidth, kHeight, 1, std::vector<unsigned char>(kWidth * kHeight, kGrey));
    const auto overlay = [this](const char* method) {
        const ProgramRun run = Edgemeasure(
            {"measure", "wide.pgm", "--line=100.5,30.5,2500.5,30.5", method, "--overlay", "o.png"});
        EXPECT_EQ(run.exitCode, kExitMeasurementFailed) << run.err;  // a plain image: no edge
        return LoadImage("o.png");
    };
    const LoadedImage path = overlay("--method=path");
    const auto at = [&path](int y) { return path.grey->GetPixel_Grey(kColumn, y); };
    EXPECT_NE(at(kRow), kGrey);
    EXPECT_EQ(at(kRow - 1), at(kRow));
    EXPECT_EQ(at(kRow + 1), at(kRow));
    EXPECT_EQ(at(kRow - 2), kGrey);
    EXPECT_EQ(at(kRow + 2), kGrey);

    const LoadedImage caliper = overlay("--method=caliper");
    constexpr int kTopSide = kRow - 2;  // 30.5 - 5 / 2
    const auto side = [&caliper](int y) { return caliper.grey->GetPixel_Grey(kColumn, y); };
    EXPECT_NE(side(kTopSide), kGrey);
    EXPECT_EQ(side(kTopSide - 1), kGrey);
    EXPECT_EQ(side(kTopSide + 1), kGrey);
}

// The tips give the values of the results, and a row's view holds its measurement's paths while
// showing less than the whole image.
TEST_F(ProgramTest, ReportTipsAndViewsShowTheMeasurement) {
    WritePlate("plate.pgm");
    const ProgramRun run =
        Edgemeasure({"measure", "plate.pgm", "--radial=170.5,60.5,10,50,36", "--polarity=leaving",
                     "--name=disc", "--report", "r.html", "-o", "r.json"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    const std::string html = ReadFile("r.html");
    const json circle = Measurement(json::parse(ReadFile("r.json")), "disc").at("circle");
    char diameter[64];
    std::snprintf(diameter, sizeof diameter, "diameter %.3f px",
                  circle.at("diameter").get<double>());
    EXPECT_NE(html.find(diameter), std::string::npos) << diameter;
    EXPECT_EQ(Count(html, "<title>disc: edge 1 on path "), 2u * 36u);  // overlay and plots
    EXPECT_EQ(Count(html, "<title>disc: path "), 36u);

    const std::size_t at = html.find("data-view=\"");
    ASSERT_NE(at, std::string::npos);
    double x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(std::sscanf(html.c_str() + at, "data-view=\"%lf %lf %lf %lf", &x, &y, &w, &h), 4);
    EXPECT_LE(x, kDiscX - 50.0);
    EXPECT_LE(y, kDiscY - 50.0);
    EXPECT_GE(x + w, kDiscX + 50.0);
    EXPECT_GE(y + h, kDiscY + 50.0);
    EXPECT_LT(w, kPlateWidth);
}

}  // namespace

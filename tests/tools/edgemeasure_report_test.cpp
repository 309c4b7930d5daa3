// The HTML report as a user gets it: one page for a batch, names shown as text however they are
// spelt, verdicts as row classes, and nothing that the page would fetch from elsewhere. How it
// looks and behaves in a browser is check_report.py's part.

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

}  // namespace

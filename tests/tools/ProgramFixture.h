#pragma once
// The fixture of the end-to-end tests of edgemeasure: the program is run as a user runs it, in
// a folder of its own holding images and jobs written by the test, and its exit code, standard
// error and files are checked. Also the plate image that most tests measure.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <stb/stb_image_write.h>
#include <nlohmann/json.hpp>

#include "image/ImageLoader.h"

namespace edgemeasure_test {

namespace fs = std::filesystem;
using nlohmann::json;

// Positions: the library's sub-pixel refinement reports edges in steps of 1/8 pixel and 1/8
// step late along the path; oblique paths sample the nearest pixel. A quarter pixel more than
// covers both on the test images; the demo, with noise and blur, gets a little more.
constexpr double kTolerancePx = 0.25;
constexpr double kDemoTolerancePx = 0.3;
constexpr double kToleranceDeg = 0.1;
constexpr int kExitOk = 0;
constexpr int kExitMeasurementFailed = 1;
constexpr int kExitBadInput = 2;

inline std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

inline void WriteFile(const fs::path& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

// Writes 8-bit pixels (1 or 3 channels) in the format that the file name's extension names.
inline void WriteImage(const std::string& path, int width, int height, int channels,
                       const std::vector<unsigned char>& pixels) {
    const std::string extension = fs::path(path).extension().string();
    constexpr int kBestJpegQuality = 100;
    if (extension == ".png") {
        stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels);
    } else if (extension == ".jpg") {
        stbi_write_jpg(path.c_str(), width, height, channels, pixels.data(), kBestJpegQuality);
    } else {  // portable grey map or pixel map
        WriteFile(path, (channels == 1 ? "P5\n" : "P6\n") + std::to_string(width) + " " +
                            std::to_string(height) + "\n255\n" +
                            std::string(pixels.begin(), pixels.end()));
    }
}

// The plate: a dark square x, y in [30, 90) and a dark disc of radius 35 about (170.5, 60.5) on
// a bright ground, 240 x 120 pixels, in grey or in colour. Dark lies inside the default band
// 0..128, bright (grey 200, or a colour of about that brightness) outside.
constexpr int kPlateWidth = 240;
constexpr double kSquareLeft = 30.0;
constexpr double kSquareRight = 90.0;
constexpr double kDiscX = 170.5;
constexpr double kDiscY = 60.5;
constexpr double kDiscRadius = 35.0;
constexpr unsigned char kGrey = 200;

inline void WritePlate(const std::string& path, int channels = 1) {
    const unsigned char bright[3] = {230, 190, 180}, dark[3] = {50, 50, 50};
    std::vector<unsigned char> pixels;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < kPlateWidth; ++x) {
            const double cx = x + 0.5, cy = y + 0.5;  // the pixel's centre
            const bool square = cx >= kSquareLeft && cx < kSquareRight && cy >= 30 && cy < 90;
            const bool disc = std::hypot(cx - kDiscX, cy - kDiscY) < kDiscRadius;
            const unsigned char* colour = square || disc ? dark : channels == 1 ? &kGrey : bright;
            pixels.insert(pixels.end(), colour, colour + channels);
        }
    }
    WriteImage(path, kPlateWidth, 120, channels, pixels);
}

inline const json& Measurement(const json& results, const std::string& name) {
    const json& all = results.at("measurements");
    const auto m =
        std::find_if(all.begin(), all.end(), [&](const json& e) { return e.at("name") == name; });
    return m != all.end() ? *m : throw std::runtime_error("no measurement " + name);
}

inline double X(const json& point) {
    return point[0].get<double>();
}

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Every test works in a folder of its own (the current folder while it runs), removed afterwards.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_home = fs::current_path();
        m_dir = fs::temp_directory_path() / ("edgemeasure_test_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        fs::current_path(m_dir);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::current_path(m_home);
        fs::permissions(m_dir / "locked", fs::perms::owner_all, ignored);
        fs::remove_all(m_dir, ignored);
    }

    // Runs the program (after `prefix`, if given) with its output captured outside the folder.
    // Arguments are quoted as they stand: the tests use no quote characters in them.
    ProgramRun Edgemeasure(const std::vector<std::string>& arguments,
                           const std::string& prefix = "",
                           const std::string& input = "/dev/null") const {
        const std::string out = m_dir.string() + ".out", err = m_dir.string() + ".err";
        std::string command = prefix + "'" + EDGEMEASURE_PROGRAM + "'";
        for (const std::string& argument : arguments) {
            command += " '" + argument + "'";
        }
        const int status =
            std::system((command + " >'" + out + "' 2>'" + err + "' <'" + input + "'").c_str());
        const ProgramRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out),
                             ReadFile(err)};
        fs::remove(out);
        fs::remove(err);
        return run;
    }

    // The names in the folder (recursively), hidden ones included.
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
    fs::path m_home;
    fs::path m_dir;
};

}  // namespace edgemeasure_test

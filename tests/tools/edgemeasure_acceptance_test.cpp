// End-to-end tests of what inspection engineers rely on: tolerances and scale, the table and
// standard streams, image formats at 8 and 16 bits, large images, and messages in their terms.

#include <png.h>
#include <tiffio.h>

#include "ProgramFixture.h"

namespace {

using namespace edgemeasure_test;

// The plate's dark square spans x in [30, 90): its width along y = 60.5.
const std::string kSquareLine = "--line=10.5,60.5,110.5,60.5";
constexpr double kSquareWidth = kSquareRight - kSquareLeft;

// The plate at 16 bits: grey g becomes g * 257, so the tool's rule (value * 255 / 65535) gives g.
std::vector<std::uint16_t> Plate16() {
    WritePlate("plate8.pgm");
    const LoadedImage image = LoadImage("plate8.pgm");
    std::vector<std::uint16_t> samples;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            samples.push_back(static_cast<std::uint16_t>(image.grey->GetPixel_Grey(x, y) * 257));
        }
    }
    return samples;
}

constexpr int kPlateHeight = 120;

void WritePng16(const std::string& path, const std::vector<std::uint16_t>& samples) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, kPlateWidth, kPlateHeight, 16, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_swap(png);  // host order in, big-endian in the file
    for (int y = 0; y < kPlateHeight; ++y) {
        png_write_row(png, reinterpret_cast<png_const_bytep>(samples.data() + y * kPlateWidth));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

// A grey TIFF of 8 or 16 bits, in strips or in 16 x 16 tiles.
void WriteTiff(const std::string& path, const std::vector<std::uint16_t>& samples, int bits,
               bool tiled) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kPlateWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kPlateHeight);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    const int bytes = bits / 8;
    std::vector<unsigned char> row(static_cast<std::size_t>(kPlateWidth) * bytes);
    const auto fill = [&](int y, int x0, int width, unsigned char* out) {
        for (int x = x0; x < x0 + width; ++x) {
            const std::uint16_t v = x < kPlateWidth && y < kPlateHeight
                                        ? samples[static_cast<std::size_t>(y) * kPlateWidth + x]
                                        : 0;
            if (bits == 8) {
                out[x - x0] = static_cast<unsigned char>(v / 257);
            } else {
                std::memcpy(out + 2 * (x - x0), &v, 2);
            }
        }
    };
    if (tiled) {
        constexpr int kTile = 16;
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, kTile);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, kTile);
        std::vector<unsigned char> tile(kTile * kTile * bytes);
        for (int y0 = 0; y0 < kPlateHeight; y0 += kTile) {
            for (int x0 = 0; x0 < kPlateWidth; x0 += kTile) {
                for (int y = 0; y < kTile; ++y) {
                    fill(y0 + y, x0, kTile, tile.data() + y * kTile * bytes);
                }
                TIFFWriteTile(tiff, tile.data(), x0, y0, 0, 0);
            }
        }
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 7);
        for (int y = 0; y < kPlateHeight; ++y) {
            fill(y, 0, kPlateWidth, row.data());
            TIFFWriteScanline(tiff, row.data(), y, 0);
        }
    }
    TIFFClose(tiff);
}

double Distance(const json& results, std::size_t image = 0) {
    const json& entry = results.contains("images") ? results.at("images")[image] : results;
    return entry.at("measurements")[0].at("pair").at("distance").get<double>();
}

// Every format and depth reads to the same plate: calipers measure 16-bit files at full depth,
// the path search reads them scaled by the stated rule and the results say so; a batch mixes
// files, folders and standard input.
TEST_F(ProgramTest, FormatsAndDepthsMeasureTheSamePlate) {
    const std::vector<std::uint16_t> plate = Plate16();
    fs::create_directories("more");
    WritePng16("more/p16.png", plate);
    // A 16-bit colour PPM with equal channels (big-endian samples): grey by the same weights.
    std::string ppm =
        "P6\n" + std::to_string(kPlateWidth) + " " + std::to_string(kPlateHeight) + "\n65535\n";
    for (const std::uint16_t v : plate) {
        const char sample[2] = {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
        for (int channel = 0; channel < 3; ++channel) {
            ppm.append(sample, 2);
        }
    }
    WriteFile("more/c16.ppm", ppm);
    WriteTiff("t8.tif", plate, 8, false);
    WriteTiff("t16.tiff", plate, 16, false);
    WriteTiff("tiles16.tif", plate, 16, true);
    const ProgramRun reference =
        Edgemeasure({"measure", "plate8.pgm", kSquareLine, "--search=pair"});
    ASSERT_EQ(reference.exitCode, kExitOk) << reference.err;
    const double width = Distance(json::parse(reference.out));
    EXPECT_NEAR(width, kSquareWidth, kTolerancePx);

    const ProgramRun run = Edgemeasure(
        {"measure", "t8.tif", "t16.tiff", "tiles16.tif", "more", "-", kSquareLine, "--search=pair"},
        "", "plate8.pgm");
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    const json results = json::parse(run.out);
    const json& images = results.at("images");
    ASSERT_EQ(images.size(), 6u);
    const char* formats[] = {"TIFF", "TIFF", "TIFF", "PPM", "PNG", "PGM"};
    const int bits[] = {8, 16, 16, 16, 16, 8};
    for (std::size_t k = 0; k < images.size(); ++k) {
        const json& image = images[k].at("image");
        EXPECT_NEAR(Distance(results, k), width, 1e-6) << image;
        EXPECT_EQ(image.at("format"), formats[k]);
        EXPECT_EQ(image.at("bits"), bits[k]);
        EXPECT_FALSE(image.contains("scaled_to_8_bits")) << image;
    }
    EXPECT_EQ(images[5].at("image").at("path"), "standard input");

    const ProgramRun path =
        Edgemeasure({"measure", "t16.tiff", kSquareLine, "--search=pair", "--method=path"});
    ASSERT_EQ(path.exitCode, kExitOk) << path.err;
    EXPECT_TRUE(json::parse(path.out).at("image").contains("scaled_to_8_bits"));
}

// Tolerances judge each measurement's main quantity; any failure makes the exit code 1; a scale
// adds millimetres; the CSV has a row per image and measurement; "-o -" is standard output.
TEST_F(ProgramTest, TolerancesScaleAndTable) {
    WritePlate("plate.png");
    WriteFile("job.json", R"({"scale": {"mm_per_px": 0.5}, "measurements": [
      {"name": "square", "line": {"from": [10.5, 60.5], "to": [110.5, 60.5]},
       "search": {"mode": "pair"}, "nominal": 30, "tolerance": [-0.3, 0.3], "unit": "mm"},
      {"name": "disc", "kind": "circle", "search": {"polarity": "leaving"},
       "radial": {"center": [170.5, 60.5], "inner": 10, "outer": 50, "count": 36},
       "nominal": 35.5, "tolerance": 0.1, "quantity": "radius"},
      {"name": "side", "kind": "line", "search": {"polarity": "entering"},
       "parallel": {"from": [10.5, 35.5], "to": [60.5, 35.5], "count": 11, "step": [0, 5]},
       "nominal": 270.05, "tolerance": 0.2},
      {"name": "count", "line": {"from": [10.5, 60.5], "to": [230.5, 60.5]},
       "search": {"mode": "all"}, "nominal": 4, "tolerance": 0}
    ]})");
    const ProgramRun run =
        Edgemeasure({"measure", "plate.png", "--job", "job.json", "-o", "-", "--csv", "t.csv"});
    EXPECT_EQ(run.exitCode, kExitMeasurementFailed) << run.err;
    const json results = json::parse(run.out);
    EXPECT_TRUE(results.at("ok"));
    EXPECT_FALSE(results.at("pass"));
    const json& square = Measurement(results, "square");
    EXPECT_NEAR(square.at("pair").at("distance_mm").get<double>(), kSquareWidth * 0.5, 0.15);
    EXPECT_TRUE(square.at("pass"));
    EXPECT_EQ(square.at("tolerance").at("unit"), "mm");
    // The disc's radius is 35: 0.5 below the nominal value, outside +-0.1.
    const json& disc = Measurement(results, "disc").at("tolerance");
    EXPECT_FALSE(disc.at("pass"));
    EXPECT_NEAR(disc.at("deviation").get<double>(), -0.5, kTolerancePx);
    // A line's direction is taken modulo 180 degrees: 270.05 nominal is 90.05.
    EXPECT_TRUE(Measurement(results, "side").at("pass"));
    EXPECT_EQ(Measurement(results, "count").at("tolerance").at("value"), 4);

    const std::string csv = ReadFile("t.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5) << csv;
    EXPECT_NE(csv.find("\nplate.png,disc,circle,true,false,,radius,"), std::string::npos) << csv;

    // Without a scale a tolerance in mm cannot be judged.
    WriteFile("noscale.json", R"({"measurements": [{"line": {"from": [0, 0], "to": [9, 0]},
        "nominal": 1, "tolerance": 1, "unit": "mm"}]})");
    const ProgramRun noScale = Edgemeasure({"measure", "plate.png", "--job", "noscale.json"});
    EXPECT_EQ(noScale.exitCode, kExitBadInput);
    EXPECT_NE(noScale.err.find("a tolerance in mm needs a scale"), std::string::npos);
}

// Coordinates reach over the whole of a wide line-scan image; a header promising more pixels
// than the limit is refused before the pixels are allocated.
TEST_F(ProgramTest, LargeImagesAndThePixelLimit) {
    constexpr int kWide = 30000;
    constexpr int kRows = 8;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kWide) * kRows, 200);
    for (int y = 0; y < kRows; ++y) {
        std::fill_n(pixels.begin() + y * kWide + 25000, 40, 40);  // dark from 25000 to 25040
    }
    WriteImage("wide.pgm", kWide, kRows, 1, pixels);
    const ProgramRun run =
        Edgemeasure({"measure", "wide.pgm", "--line=24900.5,4.5,25100.5,4.5", "--search=pair"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    const json pair = json::parse(run.out).at("measurements")[0].at("pair");
    EXPECT_NEAR(X(pair.at("first").at("point")), 25000.0, kTolerancePx);

    // PGM and PNG headers of 200000 x 10 pixels, with no pixel data behind them.
    WriteFile("huge.pgm", "P5\n200000 10\n255\n");
    const ProgramRun huge = Edgemeasure({"measure", "huge.pgm", kSquareLine});
    EXPECT_EQ(huge.exitCode, kExitBadInput);
    EXPECT_NE(huge.err.find("200000 x 10 pixels is more than edgemeasure reads"), std::string::npos)
        << huge.err;
}

// Messages name the file, the place and the problem in the user's terms; a path wholly outside
// the image says so; a pair of "any" edges is two edges.
TEST_F(ProgramTest, MessagesInTheUsersTerms) {
    WritePlate("plate.png");
    WriteFile("bad.json",
              "{\"measurements\": [\n  {\"line\": {\"from\": [1, 2], \"to\": [3, 4]},}\n]}");
    WriteFile("word.json", "{\"measurements\": [tru]}");
    WriteFile("huge.json", "{\"measurements\": [\n  -1.5e400]}");
    std::string png = ReadFile("plate.png");
    WriteFile("cut.png", png.substr(0, png.size() / 2));
    png[20] ^= 0x55;  // the width in the header chunk, whose checksum then fails
    WriteFile("flipped.png", png);
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"--job", "bad.json"}, "bad.json:2:43: malformed JSON: unexpected '}'"},
        {{"--job", "word.json"}, "word.json:1:19: malformed JSON: unexpected 'tru'"},
        {{"--job", "huge.json"}, "huge.json:2:3: a number too large to read (beyond 1.8e308)"},
        {{"cut.png", kSquareLine},
         "cannot read image 'cut.png': not a PNG file or damaged (the file ends early)"},
        {{"flipped.png", kSquareLine},
         "cannot read image 'flipped.png': not a PNG file or damaged (checksum error)"},
        {{"plate.png", "--line=1,1,50000,40000"}, "command line: line.to: an oblique line"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"measure", "plate.png"};
        if (c.arguments[0] != "--job") {
            arguments.pop_back();
        }
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const ProgramRun run = Edgemeasure(arguments);
        EXPECT_EQ(run.exitCode, kExitBadInput) << c.message;
        EXPECT_EQ(run.err.rfind("edgemeasure: error: " + c.message, 0), 0u) << run.err;
    }

    const ProgramRun outside = Edgemeasure({"measure", "plate.png", "--line=300,5,400,5"});
    EXPECT_EQ(outside.exitCode, kExitMeasurementFailed);
    EXPECT_EQ(json::parse(outside.out).at("measurements")[0].at("problem"),
              "the caliper lies wholly outside the image (240 x 120 px)");

    const ProgramRun pair = Edgemeasure({"measure", "plate.png", kSquareLine, "--search=pair",
                                         "--polarity=any", "--polarity2=any"});
    const json found = json::parse(pair.out).at("measurements")[0].at("pair");
    EXPECT_NEAR(found.at("distance").get<double>(), kSquareWidth, kTolerancePx);

    for (const char* command : {"measure", "demo", "schema"}) {
        const ProgramRun help = Edgemeasure({command, "--help"});
        EXPECT_EQ(help.exitCode, kExitOk) << command;
        EXPECT_EQ(help.out.rfind(std::string("edgemeasure ") + command, 0), 0u) << help.out;
    }
}

}  // namespace

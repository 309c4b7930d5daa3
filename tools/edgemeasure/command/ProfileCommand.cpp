#include "command/ProfileCommand.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "image/ImageLoader.h"
#include "job/ToolError.h"
#include "output/ImageIO.h"
#include "output/OutputFile.h"
#include "output/PlotFigure.h"
#include "output/ProfilePlot.h"
#include "output/ReportTips.h"

namespace {

// The grey value of 16-bit images scaled to 8 bits: the profile is read from what is measured.
constexpr double kGreyMax = 255.0;
constexpr int kGreyDecimals = 3;
constexpr int kDerivativeDecimals = 4;

std::string Csv(const Profile& profile, const ProfileLine& line) {
    const double length = std::hypot(line.to.x - line.from.x, line.to.y - line.from.y);
    const double ux = (line.to.x - line.from.x) / length;
    const double uy = (line.to.y - line.from.y) / length;
    std::string csv = "distance,x,y,grey,derivative\n";
    for (std::size_t i = 0; i < profile.values.size(); ++i) {
        const double t = profile.positions[i];
        csv += Fixed(t) + "," + Fixed(line.from.x + t * ux) + "," + Fixed(line.from.y + t * uy);
        csv += profile.outside[i] ? ",,\n"
                                  : "," + Fixed(profile.values[i], kGreyDecimals) + "," +
                                        Fixed(profile.derivative[i], kDerivativeDecimals) + "\n";
    }
    return csv;
}

void WritePlot(const Profile& profile, const ProfileRequest& request, const std::string& shown) {
    ProfilePlot plot;
    plot.title = shown + ": " + PointText(request.line.from) + " to " + PointText(request.line.to) +
                 ", width " + Fixed(request.width, 1) + " px, sigma " + Fixed(request.sigma, 2) +
                 " px";
    plot.profile = profile;
    plot.greyMax = kGreyMax;
    plot.positionLabel = "distance from " + PointText(request.line.from) + " (px)";
    const PlotFigure figure = ProfileFigure(plot);
    if (OverlayFormatOf(request.plot, "--plot") == PictureFormat::Svg) {
        WriteFileAtomically(request.plot,
                            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + FigureSvg(figure));
    } else {
        WriteFileAtomically(request.plot, EncodePng(FigurePicture(figure)));
    }
}

}  // namespace

int RunProfileCommand(const CommandLine& command) {
    const ProfileRequest& request = command.profile;
    CheckOutputTarget(command.output, "--output");
    CheckOutputTarget(request.plot, "--plot");
    const std::string& path = command.inputs.front();
    const LoadedImage image = LoadImage(path);
    const std::string shown = path == kStandardInputPath ? kStandardInputName : path;
    const Profile profile =
        SampleLineProfile(*image.grey, request.line, request.width, request.sigma);
    if (profile.values.empty()) {
        throw ToolError("--line: the line has no length");
    }
    if (std::all_of(profile.outside.begin(), profile.outside.end(),
                    [](std::uint8_t outside) { return outside != 0; })) {
        std::fprintf(stderr, "edgemeasure: the line lies wholly outside the image (%d x %d px)\n",
                     image.grey->GetWidth(), image.grey->GetHeight());
        return kExitMeasurementFailed;
    }
    if (!request.plot.empty()) {
        WritePlot(profile, request, shown);
    }
    WriteTextOutput(Csv(profile, request.line), command.output);
    return kExitOk;
}

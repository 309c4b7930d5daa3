#include "command/ProfileCommand.h"

#include <cmath>
#include <cstdio>

#include "image/ImageLoader.h"
#include "job/ToolError.h"
#include "measure/Profiles.h"
#include "output/ImageIO.h"
#include "output/OutputFile.h"
#include "output/PlotFigure.h"
#include "output/ProfilePlot.h"
#include "output/ReportTips.h"

namespace {

// The profile is read from what is measured: 8-bit grey values.
constexpr double kGreyMax = 255.0;
constexpr int kGreyDecimals = 3;
constexpr int kDerivativeDecimals = 4;

std::string Number(double value, int decimals) {
    return std::isfinite(value) ? Fixed(value, decimals) : "";
}

std::string Csv(const OCaliperProfile& profile, const OCaliperLine& line) {
    const double length = std::hypot(line.endX - line.startX, line.endY - line.startY);
    const double ux = (line.endX - line.startX) / length;
    const double uy = (line.endY - line.startY) / length;
    std::string csv = "distance,x,y,grey,derivative\n";
    for (std::size_t i = 0; i < profile.values.size(); ++i) {
        const double t = profile.positions[i];
        const bool outside = profile.outside[i] != 0;
        csv += Fixed(t) + "," + Fixed(line.startX + t * ux) + "," + Fixed(line.startY + t * uy) +
               "," + (outside ? "" : Number(profile.values[i], kGreyDecimals)) + "," +
               (outside ? "" : Number(profile.derivative[i], kDerivativeDecimals)) + "\n";
    }
    return csv;
}

void WritePlot(const OCaliperProfile& profile, const ProfileRequest& request,
               const std::string& shown) {
    const Point2 start{request.line.startX, request.line.startY};
    ProfilePlot plot;
    plot.title = shown + ": " + PointText(start) + " to " +
                 PointText({request.line.endX, request.line.endY}) + ", width " +
                 Fixed(request.line.width, 1) + " px, sigma " + Fixed(request.sigma, 2) + " px";
    plot.profile = profile;
    plot.greyMax = kGreyMax;
    plot.positionLabel = "distance from " + PointText(start) + " (px)";
    const PlotFigure figure = ProfileFigure(plot);
    if (OverlayFormatOf(request.plot, "--plot") == PictureFormat::Svg) {
        WriteFileAtomically(request.plot,
                            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + FigureSvg(figure));
    } else {
        WriteFileAtomically(request.plot, EncodePng(FigurePicture(figure)));
    }
}

// The caliper's refusals in the terms of the command's options.
void CheckSampled(const OCaliperProfile& profile, const ProfileRequest& request) {
    if (profile.status == OCaliperStatus::BadRegion) {
        throw ToolError(
            "--line: a line of no length, or more samples along and across it than a profile "
            "takes");
    }
    if (profile.status == OCaliperStatus::BadSettings) {
        throw ToolError("--sigma: " + Fixed(request.sigma, 2) +
                        " px is too large for the line (the filter reaches 4 sigma to either "
                        "side of each sample)");
    }
    if (profile.status == OCaliperStatus::EmptyImage) {
        throw ToolError("the image has no pixels");
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
    const OCaliperProfile profile = SampleLineProfile(*image.Grey(), request.line, request.sigma);
    CheckSampled(profile, request);
    if (profile.status == OCaliperStatus::OutsideImage) {
        std::fprintf(stderr, "edgemeasure: the line lies wholly outside the image (%d x %d px)\n",
                     image.Width(), image.Height());
        return kExitMeasurementFailed;
    }
    if (!request.plot.empty()) {
        WritePlot(profile, request, shown);
    }
    WriteTextOutput(Csv(profile, request.line), command.output);
    return kExitOk;
}

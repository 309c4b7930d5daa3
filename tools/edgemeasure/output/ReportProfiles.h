#pragma once
// ReportProfiles: the profile plots of a measurement as the HTML report shows them, one per path
// of its layout (at most kMaxPlotsPerMeasurement): the grey values that the transition search
// reads along the path (Profiles.h), their derivative, the transition function's answer, a band's
// low and high values as threshold lines, and the edges found on that path with their labels
// and tips (points that a fit rejected in red).
//
//   for (const ProfilePlot& plot : MeasurementPlots(setup, result, run.image, run.mmPerPx)) {
//       html += FigureSvg(ProfileFigure(plot));
//   }

#include <memory>
#include <optional>
#include <vector>

#include "foundation/OType_Image.h"
#include "job/Job.h"
#include "job/Results.h"
#include "output/ProfilePlot.h"

// More paths than this (radial and parallel layouts) are plotted only up to it.
constexpr std::size_t kMaxPlotsPerMeasurement = 48;

std::vector<ProfilePlot> MeasurementPlots(const MeasurementSetup& setup,
                                          const MeasurementResult& result,
                                          const std::shared_ptr<OType_Image>& image,
                                          std::optional<double> mmPerPx);

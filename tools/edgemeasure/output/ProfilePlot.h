#pragma once
// ProfilePlot: the chart of a grey profile, for tuning thresholds: the grey values (upper panel,
// 0 to the image's largest grey value) and their derivative (lower panel, symmetric about 0) over
// the distance along the line or path, with
// - threshold lines on either panel (dashed red, labelled), e.g. a band's low and high grey values;
// - between the panels, a strip that is green where the transition function answers "in
//   threshold" (when the plot has those answers);
// - the edges found, as vertical lines across both panels with their labels on top (orange; red
//   for points that a fit rejected), each with a tip that gives its values;
// - samples outside the image left out, their stretch shaded; values that mean nothing (NaN) break
//   the curves.
// Long profiles keep the lowest and highest value per pixel column of the chart, so that no
// narrow peak is lost however many samples there are.
//
//   ProfilePlot plot{"hole, path 3", profile};
//   plot.thresholds.push_back({PlotAxis::Grey, 114.0, "high 114"});
//   std::string svg = FigureSvg(ProfileFigure(plot));

#include <cstdint>
#include <string>
#include <vector>

#include "measure/Profiles.h"
#include "output/PlotFigure.h"

enum class PlotAxis { Grey, Derivative };

struct PlotThreshold {
    PlotAxis axis = PlotAxis::Grey;
    double value = 0.0;
    std::string label;
};

struct PlotEdge {
    double position = 0.0;  // pixels along the profile
    std::string label;
    std::string tip;
    bool rejected = false;
};

struct ProfilePlot {
    std::string title;
    OCaliperProfile profile;
    std::vector<std::uint8_t> inThreshold;  // empty: no strip
    std::vector<PlotThreshold> thresholds;
    std::vector<PlotEdge> edges;
    double greyMax = 255.0;
    std::string positionLabel = "distance along the path (px)";
};

// The chart's size in pixels.
constexpr int kProfilePlotWidth = 720;
constexpr int kProfilePlotHeight = 300;

PlotFigure ProfileFigure(const ProfilePlot& plot);

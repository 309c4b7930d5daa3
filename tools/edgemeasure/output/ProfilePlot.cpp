#include "output/ProfilePlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// The chart's frame: margins for the axis labels, the two panels and the strip between them.
constexpr double kLeft = 52.0;
constexpr double kRight = 60.0;
constexpr double kPlotWidth = kProfilePlotWidth - kLeft - kRight;
constexpr double kTitleBaseline = 14.0;
constexpr double kLegendBaseline = 29.0;
constexpr double kGreyTop = 50.0;
constexpr double kGreyHeight = 126.0;
constexpr double kStripTop = kGreyTop + kGreyHeight + 4.0;
constexpr double kStripHeight = 8.0;
constexpr double kDerivativeTop = kStripTop + kStripHeight + 6.0;
constexpr double kDerivativeHeight = 70.0;
constexpr double kDerivativeBottom = kDerivativeTop + kDerivativeHeight;
constexpr double kTickLabelBaseline = kDerivativeBottom + 14.0;
constexpr double kAxisTitleBaseline = kProfilePlotHeight - 4.0;
// Gaps between a label and what it labels, pixels.
constexpr double kLabelGap = 4.0;
// About this many ticks per axis.
constexpr double kGreyTicks = 4.0;
constexpr double kPositionTicks = 8.0;
// Columns of the chart may hold this many samples before the min-max reduction sets in.
constexpr double kSamplesPerColumn = 2.0;

constexpr Rgb kTextColour{40, 40, 40};
constexpr Rgb kFrameColour{140, 140, 140};
constexpr Rgb kGridColour{232, 232, 232};
constexpr Rgb kGreyCurveColour{31, 78, 156};
constexpr Rgb kDerivativeColour{142, 68, 173};
constexpr Rgb kThresholdColour{214, 39, 40};
constexpr Rgb kEdgeColour{255, 120, 0};
constexpr Rgb kRejectedColour{214, 39, 40};
constexpr Rgb kInThresholdColour{60, 180, 75};
constexpr Rgb kStripColour{236, 236, 236};
constexpr Rgb kOutsideColour{225, 225, 225};
constexpr double kCurveWidth = 1.5;
constexpr double kLegendSwatch = 16.0;

using Scale = std::function<double(double)>;

std::string Format(double value, const char* format = "%g") {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A tick spacing of 1, 2 or 5 times a power of ten giving about `ticks` ticks over `range`.
double NiceStep(double range, double ticks) {
    const double raw = range / ticks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0}) {
        if (m * magnitude >= raw) {
            return m * magnitude;
        }
    }
    return 10.0 * magnitude;
}

FigureLine Line(Rgb colour, std::vector<FigurePoint> points, double width = 1.0) {
    FigureLine line;
    line.colour = colour;
    line.points = std::move(points);
    line.width = width;
    return line;
}

FigureRect Rect(Rgb colour, double x, double y, double width, double height, std::string role = "",
                std::string tip = "") {
    return FigureRect{colour, x, y, width, height, std::move(role), std::move(tip)};
}

class ProfileChart {
  public:
    explicit ProfileChart(const ProfilePlot& plot) : m_plot(plot), m_profile(plot.profile) {
        m_figure.width = kProfilePlotWidth;
        m_figure.height = kProfilePlotHeight;
        m_figure.title = plot.title;
        m_figure.role = "profile-plot";
        SetScales();
    }

    PlotFigure Draw() {
        DrawTitleAndLegend();
        DrawRuns(m_profile.outside, kGreyTop, kGreyHeight, kOutsideColour, "outside",
                 "outside the image");
        DrawGrid();
        if (!m_plot.inThreshold.empty()) {
            Add(Rect(kStripColour, kLeft, kStripTop, kPlotWidth, kStripHeight));
            DrawRuns(m_plot.inThreshold, kStripTop, kStripHeight, kInThresholdColour,
                     "in-threshold", "in threshold");
        }
        DrawCurve(m_profile.values, m_greyY, kGreyCurveColour, "grey");
        DrawCurve(m_profile.derivative, m_derivativeY, kDerivativeColour, "derivative");
        for (const PlotThreshold& threshold : m_plot.thresholds) {
            DrawThreshold(threshold);
        }
        for (const PlotEdge& edge : m_plot.edges) {
            DrawEdge(edge);
        }
        return std::move(m_figure);
    }

  private:
    void Add(FigureItem item) { m_figure.items.push_back(std::move(item)); }

    void Text(double x, double y, std::string text, TextAnchor anchor = TextAnchor::Start,
              Rgb colour = kTextColour) {
        Add(FigureText{colour, x, y, std::move(text), anchor});
    }

    void SetScales() {
        const std::vector<double>& p = m_profile.positions;
        m_start = p.empty() ? 0.0 : p.front();
        m_end = p.empty() || !(p.back() > m_start) ? m_start + 1.0 : p.back();
        m_derivativeMax = 1.0;
        for (std::size_t i = 0; i < m_profile.derivative.size(); ++i) {
            if (!m_profile.outside[i] && std::isfinite(m_profile.derivative[i])) {
                m_derivativeMax = std::max(m_derivativeMax, std::fabs(m_profile.derivative[i]));
            }
        }
        for (const PlotThreshold& t : m_plot.thresholds) {
            if (t.axis == PlotAxis::Derivative) {
                m_derivativeMax = std::max(m_derivativeMax, std::fabs(t.value));
            }
        }
        m_greyMax = m_plot.greyMax > 0.0 ? m_plot.greyMax : 1.0;
        const double greyMax = m_greyMax;
        const double start = m_start;
        const double span = m_end - m_start;
        const double dMax = m_derivativeMax;
        m_x = [start, span](double p) { return kLeft + (p - start) / span * kPlotWidth; };
        m_greyY = [greyMax](double v) { return kGreyTop + (1.0 - v / greyMax) * kGreyHeight; };
        m_derivativeY = [dMax](double d) {
            return kDerivativeTop + (0.5 - d / (2.0 * dMax)) * kDerivativeHeight;
        };
    }

    void DrawTitleAndLegend() {
        Text(kLeft, kTitleBaseline, m_plot.title);
        double x = kLeft;
        const auto entry = [this, &x](Rgb colour, const std::string& name, bool dashed) {
            FigureLine swatch = Line(
                colour, {{x, kLegendBaseline - 4.0}, {x + kLegendSwatch, kLegendBaseline - 4.0}},
                kCurveWidth);
            swatch.dashed = dashed;
            Add(swatch);
            Text(x + kLegendSwatch + kLabelGap, kLegendBaseline, name);
            x += kLegendSwatch + 2 * kLabelGap + name.size() * kFigureTextHeight * 0.6;
        };
        entry(kGreyCurveColour, "grey value", false);
        entry(kDerivativeColour, "derivative (grey/px)", false);
        if (!m_plot.thresholds.empty()) {
            entry(kThresholdColour, "threshold", true);
        }
        if (!m_plot.inThreshold.empty()) {
            entry(kInThresholdColour, "in threshold", false);
        }
        if (!m_plot.edges.empty()) {
            entry(kEdgeColour, "edge found", false);
        }
    }

    void DrawGrid() {
        const double right = kLeft + kPlotWidth;
        const double step = NiceStep(m_end - m_start, kPositionTicks);
        for (double p = std::ceil(m_start / step) * step; p <= m_end; p += step) {
            const double x = m_x(p);
            Add(Line(kGridColour, {{x, kGreyTop}, {x, kDerivativeBottom}}));
            Text(x, kTickLabelBaseline, Format(p), TextAnchor::Middle);
        }
        const double greyStep = NiceStep(m_greyMax, kGreyTicks);
        for (double v = 0.0; v <= m_greyMax; v += greyStep) {
            Add(Line(kGridColour, {{kLeft, m_greyY(v)}, {right, m_greyY(v)}}));
            Text(kLeft - kLabelGap, m_greyY(v) + kLabelGap, Format(v), TextAnchor::End);
        }
        for (const double d : {-m_derivativeMax, 0.0, m_derivativeMax}) {
            Add(Line(d == 0.0 ? kFrameColour : kGridColour,
                     {{kLeft, m_derivativeY(d)}, {right, m_derivativeY(d)}}));
            Text(right + kLabelGap, m_derivativeY(d) + kLabelGap, Format(d, "%.3g"));
        }
        for (const double top : {kGreyTop, kDerivativeTop}) {
            const double bottom = top == kGreyTop ? kGreyTop + kGreyHeight : kDerivativeBottom;
            Add(Line(kFrameColour,
                     {{kLeft, top}, {right, top}, {right, bottom}, {kLeft, bottom}, {kLeft, top}}));
        }
        Text(kLeft + kPlotWidth / 2.0, kAxisTitleBaseline, m_plot.positionLabel,
             TextAnchor::Middle);
    }

    // Rectangles over the stretches where `flags` is set, each with a tip giving its extent.
    void DrawRuns(const std::vector<std::uint8_t>& flags, double top, double height, Rgb colour,
                  const std::string& role, const std::string& what) {
        const std::vector<double>& p = m_profile.positions;
        for (std::size_t i = 0; i < flags.size() && i < p.size();) {
            if (!flags[i]) {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end + 1 < flags.size() && end + 1 < p.size() && flags[end + 1]) {
                ++end;
            }
            // Each sample stands for the half steps to either side of it.
            const double left = m_x(i == 0 ? p[i] : (p[i - 1] + p[i]) / 2.0);
            const double right = m_x(end + 1 < p.size() ? (p[end] + p[end + 1]) / 2.0 : p[end]);
            Add(Rect(
                colour, left, top, std::max(right - left, 1.0), height, role,
                what + " from " + Format(p[i], "%.2f") + " to " + Format(p[end], "%.2f") + " px"));
            i = end + 1;
        }
    }

    // The curve as polylines broken where samples lie outside the image; a column of the chart
    // with many samples keeps its lowest and highest, in their order.
    void DrawCurve(const std::vector<double>& values, const Scale& y, Rgb colour,
                   const std::string& role) {
        const std::vector<double>& p = m_profile.positions;
        const bool reduce = static_cast<double>(p.size()) > kSamplesPerColumn * kPlotWidth;
        FigureLine line = Line(colour, {}, kCurveWidth);
        line.role = role;
        const auto flush = [this, &line]() {
            if (line.points.size() > 1) {
                Add(line);
            }
            line.points.clear();
        };
        std::size_t low = 0;
        std::size_t high = 0;
        std::size_t columnStart = 0;  // where the current column's points begin in the line
        for (std::size_t i = 0; i < values.size() && i < p.size(); ++i) {
            if (m_profile.outside[i] || !std::isfinite(values[i])) {
                flush();
                continue;
            }
            // A point in the line means that the sample before this one was drawn.
            const bool sameColumn = reduce && !line.points.empty() &&
                                    std::floor(m_x(p[i])) == std::floor(m_x(p[i - 1]));
            if (!sameColumn) {
                low = high = i;
                columnStart = line.points.size();
                line.points.push_back({m_x(p[i]), y(values[i])});
                continue;
            }
            low = values[i] < values[low] ? i : low;
            high = values[i] > values[high] ? i : high;
            line.points.resize(columnStart);
            line.points.push_back({m_x(p[std::min(low, high)]), y(values[std::min(low, high)])});
            if (low != high) {
                line.points.push_back(
                    {m_x(p[std::max(low, high)]), y(values[std::max(low, high)])});
            }
        }
        flush();
    }

    void DrawThreshold(const PlotThreshold& threshold) {
        const Scale& y = threshold.axis == PlotAxis::Grey ? m_greyY : m_derivativeY;
        const double at = y(threshold.value);
        FigureLine line = Line(kThresholdColour, {{kLeft, at}, {kLeft + kPlotWidth, at}});
        line.dashed = true;
        line.role = "threshold";
        line.tip = threshold.label;
        Add(line);
        Text(kLeft + kPlotWidth - kLabelGap, at - kLabelGap, threshold.label, TextAnchor::End,
             kThresholdColour);
    }

    void DrawEdge(const PlotEdge& edge) {
        const double x = m_x(edge.position);
        const Rgb colour = edge.rejected ? kRejectedColour : kEdgeColour;
        FigureLine line = Line(colour, {{x, kGreyTop}, {x, kDerivativeBottom}}, kCurveWidth);
        line.role = "edge";
        line.tip = edge.tip;
        Add(line);
        Text(x, kGreyTop - kLabelGap, edge.label, TextAnchor::Middle, colour);
    }

    const ProfilePlot& m_plot;
    const OCaliperProfile& m_profile;
    PlotFigure m_figure;
    double m_start = 0.0;
    double m_end = 1.0;
    double m_derivativeMax = 1.0;
    double m_greyMax = 1.0;
    Scale m_x;
    Scale m_greyY;
    Scale m_derivativeY;
};

}  // namespace

PlotFigure ProfileFigure(const ProfilePlot& plot) {
    return ProfileChart(plot).Draw();
}

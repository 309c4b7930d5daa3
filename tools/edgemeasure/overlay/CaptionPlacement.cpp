#include "overlay/CaptionPlacement.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "overlay/OverlayFont.h"
#include "overlay/OverlayStyle.h"

namespace {

// The eight directions of a ring, in the order they are tried: beside, then below, then above.
constexpr int kDirections[8][2] = {{1, 0}, {0, 1},  {0, -1}, {-1, 0},
                                   {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

struct Box {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;

    bool Meets(const Box& o) const {
        return left <= o.right && o.left <= right && top <= o.bottom && o.top <= bottom;
    }
};

// Liang-Barsky: whether the segment from a to b meets the box.
bool SegmentMeets(double ax, double ay, double bx, double by, const Box& box) {
    double enter = 0.0;
    double leave = 1.0;
    const double dx = bx - ax;
    const double dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - box.left, box.right - ax, ay - box.top, box.bottom - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
    }
    return enter <= leave;
}

// A drawn item as the placement sees it: its bounding box, and for a polyline its points (a
// drawing point names a pixel, whose centre the line passes through).
struct Obstacle {
    Box bounds;
    const std::vector<POINT>* points = nullptr;

    bool Meets(const Box& box) const {
        if (!bounds.Meets(box)) {
            return false;
        }
        if (points == nullptr) {
            return true;
        }
        for (std::size_t i = 1; i < points->size(); ++i) {
            const POINT& a = (*points)[i - 1];
            const POINT& b = (*points)[i];
            if (SegmentMeets(a.x + 0.5, a.y + 0.5, b.x + 0.5, b.y + 0.5, box)) {
                return true;
            }
        }
        return false;
    }
};

Box BoundsOf(const double* xs, const double* ys, std::size_t count) {
    Box box{xs[0], ys[0], xs[0], ys[0]};
    for (std::size_t i = 1; i < count; ++i) {
        box = {std::min(box.left, xs[i]), std::min(box.top, ys[i]), std::max(box.right, xs[i]),
               std::max(box.bottom, ys[i])};
    }
    return box;
}

Obstacle ObstacleOf(const OverlayItem& item) {
    if (const auto* line = std::get_if<OverlayPolyline>(&item)) {
        Obstacle o{{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                    std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()},
                   &line->points};
        for (const POINT& p : line->points) {
            o.bounds = {std::min(o.bounds.left, p.x + 0.5), std::min(o.bounds.top, p.y + 0.5),
                        std::max(o.bounds.right, p.x + 0.5), std::max(o.bounds.bottom, p.y + 0.5)};
        }
        return o;
    }
    const auto& text = std::get<OverlayText>(item);
    const OverlayFont::Quad quad = OverlayFont::TextBox(text.text, text.x, text.y, text.height,
                                                        text.escapement, kTextBoxPadding);
    return {BoundsOf(quad.x, quad.y, 4), nullptr};
}

class Placer {
  public:
    Placer(const OverlayDrawing& drawing, int width, int height)
        : m_width(width), m_height(height) {
        for (const OverlayItem& item : drawing.items) {
            m_obstacles.push_back(ObstacleOf(item));
        }
    }

    // The bottom-left corner for a caption of the given size wished at `anchor`.
    POINT Place(const Point2& anchor, int textWidth, int textHeight) {
        POINT best{};
        std::size_t fewest = std::numeric_limits<std::size_t>::max();
        for (int ring = 0; ring <= kCaptionRings && fewest > 0; ++ring) {
            for (const auto& d : kDirections) {
                const POINT at =
                    Round(anchor.x + d[0] * ring * textHeight, anchor.y + d[1] * ring * textHeight);
                const std::size_t met = Met(BoxAt(at, textWidth, textHeight));
                if (met < fewest) {
                    fewest = met;
                    best = at;
                }
                if (ring == 0 || fewest == 0) {
                    break;  // the anchor is one place, not eight
                }
            }
        }
        m_obstacles.push_back({BoxAt(best, textWidth, textHeight), nullptr});
        return best;
    }

  private:
    static POINT Round(double x, double y) {
        constexpr double kLimit = std::numeric_limits<int>::max() / 2;
        return {static_cast<int>(std::lround(std::clamp(x, -kLimit, kLimit))),
                static_cast<int>(std::lround(std::clamp(y, -kLimit, kLimit)))};
    }

    static Box BoxAt(POINT at, int textWidth, int textHeight) {
        const double pad = kTextBoxPadding;
        return {at.x - pad, at.y - textHeight - pad, at.x + textWidth + pad, at.y + pad};
    }

    // The drawn items that the box meets; leaving the image counts as meeting them all.
    std::size_t Met(const Box& box) const {
        if (box.left < 0.0 || box.top < 0.0 || box.right > m_width || box.bottom > m_height) {
            return m_obstacles.size() + 1;
        }
        return static_cast<std::size_t>(
            std::count_if(m_obstacles.begin(), m_obstacles.end(),
                          [&box](const Obstacle& o) { return o.Meets(box); }));
    }

    int m_width;
    int m_height;
    std::vector<Obstacle> m_obstacles;
};

}  // namespace

void PlaceCaptions(OverlayContext& context, const std::vector<CaptionRequest>& captions, int width,
                   int height) {
    // The context's own font: a null font selects it, as the captions are drawn.
    OType_DrawingFont* previous = context.ChangeFont(nullptr);
    Placer placer(context.Drawing(), width, height);
    for (const CaptionRequest& caption : captions) {
        const std::u16string text(caption.text.begin(), caption.text.end());
        int textWidth = 0;
        int textHeight = 0;
        context.GetTextExtent(text, textWidth, textHeight);
        const POINT at = placer.Place(caption.anchor, textWidth, textHeight);
        context.SetColour(caption.colour);
        context.DrawTextW(at.x, at.y, text);
    }
    context.ChangeFont(previous);
}

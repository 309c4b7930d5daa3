#pragma once
// TransitionOverlay: what a transition search draws at the transitions it marks, when the caller
// passes a drawing context (without one nothing is drawn and nothing is allocated). Internal to
// the searches.
//
// A mark is a tick across the path and, for most label kinds, a numbered label beside it: "%d",
// "S%d" or "E%d" with the number in decimal. A line search draws with a font of its own along the
// line (LineOverlay); a circle search draws radial ticks and writes its labels along the tangent
// through OVectorPath::DrawRotatedText (CircleOverlay).

#include <optional>
#include <string>

#include "foundation/OType_DrawingContext.h"
#include "foundation/OType_DrawingFont.h"
#include "foundation/OVector.h"
#include "paths/OVectorPath.h"

namespace transitionsearch {

// The text of a label: "%d", "S%d" or "E%d".
enum class LabelFormat { Plain, Start, End };
// Which edge a label marks: a circle writes labels of first edges outside the tick (beyond the
// transition along the radial direction) and labels of second edges inside it.
enum class LabelEdge { First, Second };

struct Label {
    LabelFormat format;
    int number;
    LabelEdge edge;
};

// The label of FindNextTransition and FindNextTransitionSingle for a label kind, or none. Inline,
// like the overlays' test for a context below: a search without a context marks every qualifying
// transition, and these calls then cost nothing.
inline std::optional<Label> LabelForKind(int kind, int number) {
    switch (kind) {
        case OVectorPath::kLabelKindNumber:
            return Label{LabelFormat::Plain, number, LabelEdge::First};
        case OVectorPath::kLabelKindStart:
            return Label{LabelFormat::Start, number, LabelEdge::First};
        case OVectorPath::kLabelKindEnd:
            return Label{LabelFormat::End, number, LabelEdge::Second};
        default:
            return std::nullopt;
    }
}

// Decimal text of a label: the letter of its format, a minus sign for a negative number, then the
// digits (INT_MIN included).
std::u16string LabelText(const Label& label);

// Overlay of a line search. With a context, the constructor makes the label font (18 device
// units high, escapement along the line) current with a transparent background, and the
// destructor gives the previous font and mode back: every way out of a search restores them.
class LineOverlay {
  public:
    // A silent label kind draws neither tick nor label on a line.
    static constexpr bool kSilentKindDrawsTick = false;

    LineOverlay(OType_DrawingContext* pContext, const OVector& vNormal, const OVector& vDirection,
                int iTextAngle);
    ~LineOverlay();
    LineOverlay(const LineOverlay&) = delete;
    LineOverlay& operator=(const LineOverlay&) = delete;

    // Moves the drawing position to the pixel of a point (the pair search's start).
    void MoveTo(const OVector& vPoint);
    // Marks a transition at T: a tick from T + 8 n to T - 8 n, and the label beside it, on the
    // minus side of the normal for "S%d", else on the plus side, centred along the line.
    void Mark(const OVector& vTransition, bool bTick, const std::optional<Label>& label) {
        if (m_pContext != nullptr) {
            Draw(vTransition, bTick, label);
        }
    }

  private:
    void Draw(const OVector& vTransition, bool bTick, const std::optional<Label>& label);

    OType_DrawingContext* m_pContext;
    OVector m_vNormal;
    OVector m_vDirection;
    std::optional<OType_DrawingFont> m_font;
    OType_DrawingFont* m_pPreviousFont = nullptr;
    int m_iPreviousMode = 0;
};

// Overlay of a circle search: a radial tick at every mark and labels written along the tangent
// through DrawRotatedText, which selects and restores its own font.
class CircleOverlay {
  public:
    // A silent label kind still draws the tick on a circle.
    static constexpr bool kSilentKindDrawsTick = true;

    CircleOverlay(OType_DrawingContext* pContext, const OVector& vCenter);

    void MoveTo(const OVector&) {}
    // Marks a transition at T: a tick from T - 8 n to T + 8 n with n the radial direction folded
    // into [0, pi]; a first-edge label beyond T + 8 n, a second-edge label before T - 8 n.
    void Mark(const OVector& vTransition, bool bTick, const std::optional<Label>& label) {
        if (m_pContext != nullptr) {
            Draw(vTransition, bTick, label);
        }
    }

  private:
    void Draw(const OVector& vTransition, bool bTick, const std::optional<Label>& label);

    OType_DrawingContext* m_pContext;
    OVector m_vCenter;
};

}  // namespace transitionsearch

// The overlays of the transition searches: label texts, and the ticks and labels of line and
// circle searches.
#include "paths/TransitionOverlay.h"

#include <cstddef>
#include <cstdint>

#include "paths/OVectorPath.h"
#include "paths/PathAngles.h"
#include "paths/TransitionArguments.h"

namespace transitionsearch {

namespace {

// A tick runs this far (logical units) before and beyond the transition point.
constexpr int kTickHalfLength = 8;
// Label character height in device units, and the width of the size put through CalcDPtoLP with
// it (only the converted height is used).
constexpr int kLabelHeight = 18;
constexpr int kLabelSizeWidth = 1;
// Gap between a tick end and a line label, in logical units.
constexpr int kLabelGap = 1;
// A line label is centred along the line: (width + 1) * 0.5 back from the tick.
constexpr double kHalf = 0.5;

// Placement of circle labels through DrawRotatedText: no offsets, centred along the text line,
// and across it beyond the anchor (first edges) or before it (second edges).
constexpr int kNoOffset = 0;
constexpr int kAcrossBeyond = 0;
constexpr int kAcrossBefore = 2;
constexpr int kAlongCentred = 1;

using angles::FoldIntoHalfTurn;
using angles::kHalfPi;
using pathangles::UnitVectorAt;

constexpr std::uint32_t kDecimalBase = 10;
// A label text holds at most a letter, a sign and the ten digits of 2147483648.
constexpr std::size_t kMaxLabelLength = 12;

char16_t FormatLetter(LabelFormat format) {
    switch (format) {
        case LabelFormat::Start:
            return u'S';
        case LabelFormat::End:
            return u'E';
        case LabelFormat::Plain:
            break;
    }
    return u'\0';
}

}  // namespace

std::u16string LabelText(const Label& label) {
    // Written backwards from the end of the buffer. The magnitude is taken in unsigned
    // arithmetic, so that INT_MIN has one too.
    char16_t buffer[kMaxLabelLength];
    char16_t* const end = buffer + kMaxLabelLength;
    char16_t* first = end;
    const auto bits = static_cast<std::uint32_t>(label.number);
    std::uint32_t magnitude = label.number < 0 ? 0u - bits : bits;
    do {
        *--first = static_cast<char16_t>(u'0' + magnitude % kDecimalBase);
        magnitude /= kDecimalBase;
    } while (magnitude != 0);
    if (label.number < 0) {
        *--first = u'-';
    }
    const char16_t letter = FormatLetter(label.format);
    if (letter != u'\0') {
        *--first = letter;
    }
    return std::u16string(first, end);
}

// ---------------------------------------------------------------------------------------------
// LineOverlay

LineOverlay::LineOverlay(OType_DrawingContext* pContext, const OVector& vNormal,
                         const OVector& vDirection, int iTextAngle)
    : m_pContext(pContext), m_vNormal(vNormal), m_vDirection(vDirection) {
    if (m_pContext == nullptr) {
        return;
    }
    m_font.emplace();
    SIZE size{kLabelSizeWidth, kLabelHeight};
    m_pContext->CalcDPtoLP(&size);
    m_font->CreateFontW(size.cy, iTextAngle);
    m_pPreviousFont = m_pContext->ChangeFont(&*m_font);
    m_iPreviousMode =
        m_pContext->ChangeBackgroundMode(OType_DrawingContext::kTransparentBackground);
}

// The previous font and mode go back before the label font is destroyed with the overlay.
LineOverlay::~LineOverlay() {
    if (m_pContext == nullptr) {
        return;
    }
    m_pContext->ChangeFont(m_pPreviousFont);
    m_pContext->ChangeBackgroundMode(m_iPreviousMode);
}

void LineOverlay::MoveTo(const OVector& vPoint) {
    if (m_pContext != nullptr) {
        m_pContext->PathDraw_MoveTo(vPoint.iX(), vPoint.iY());
    }
}

void LineOverlay::Draw(const OVector& vTransition, bool bTick, const std::optional<Label>& label) {
    const OVector tickPlus = vTransition + m_vNormal * kTickHalfLength;
    const OVector tickMinus = vTransition - m_vNormal * kTickHalfLength;
    if (bTick) {
        m_pContext->PathDraw_MoveTo(tickPlus.iX(), tickPlus.iY());
        m_pContext->PathDraw_LineTo(tickMinus.iX(), tickMinus.iY());
    }
    if (!label) {
        return;
    }
    const std::u16string text = LabelText(*label);
    int width = 0;
    int height = 0;
    m_pContext->GetTextExtent(text, width, height);
    // (width + 1) in double: the same value, without an int overflow for a huge extent.
    const OVector centring = m_vDirection * ((static_cast<double>(width) + 1.0) * kHalf);
    // Start labels stand on the minus side of the normal, every other label on the plus side,
    // one unit (and on the plus side the text height) away from the tick end.
    const OVector anchor = label->format == LabelFormat::Start
                               ? tickMinus - m_vNormal * kLabelGap - centring
                               : tickPlus + m_vNormal * WrapAdd32(height, kLabelGap) - centring;
    if (!text.empty()) {
        m_pContext->DrawTextW(anchor.iX(), anchor.iY(), text);
    }
}

// ---------------------------------------------------------------------------------------------
// CircleOverlay

CircleOverlay::CircleOverlay(OType_DrawingContext* pContext, const OVector& vCenter)
    : m_pContext(pContext), m_vCenter(vCenter) {}

void CircleOverlay::Draw(const OVector& vTransition, bool bTick,
                         const std::optional<Label>& label) {
    // The radial direction folded into [0, pi], so that the text along the tangent never stands
    // upside down.
    const double angle = FoldIntoHalfTurn((vTransition - m_vCenter).dAngleRad());
    const OVector radial = UnitVectorAt(angle);
    const OVector tangent = UnitVectorAt(angle - kHalfPi);
    const OVector outer = vTransition + radial * kTickHalfLength;
    const OVector inner = vTransition - radial * kTickHalfLength;
    if (bTick) {
        m_pContext->PathDraw_MoveTo(inner.iX(), inner.iY());
        m_pContext->PathDraw_LineTo(outer.iX(), outer.iY());
    }
    if (!label) {
        return;
    }
    const bool second = label->edge == LabelEdge::Second;
    OVectorPath::DrawRotatedText(m_pContext, second ? inner : outer, tangent, LabelText(*label),
                                 kNoOffset, second ? kAcrossBefore : kAcrossBeyond, kNoOffset,
                                 kAlongCentred, kLabelHeight);
}

}  // namespace transitionsearch

// The overlay helpers of every path: direction arrows and labels along a direction.
#include <cstdint>

#include "paths/OVectorPath.h"
#include "paths/PathAngles.h"

namespace {

using angles::FoldIntoHalfTurn;
using angles::kHalfPi;
using pathangles::EscapementOf;
using pathangles::UnitVectorAt;

// Half-width of the arrow across the direction and half its length, in logical units.
constexpr int kArrowSize = 3;
constexpr int kArrowPoints = 4;

// Alignment modes of a label across and along its text line.
constexpr int kAcrossBeyondText = 0;
constexpr int kAcrossCentred = 1;
constexpr int kAcrossBefore = 2;
constexpr int kAlongAfter = 0;
constexpr int kAlongCentred = 1;
constexpr int kAlongBefore = 2;

POINT PixelPoint(const OVector& v) {
    return POINT{v.iX(), v.iY()};
}

}  // namespace

bool OVectorPath::DrawDirectionArrow(OType_DrawingContext* pContext, OVector vPosition,
                                     OVector vDirection) {
    if (pContext == nullptr) {
        return false;
    }
    vDirection.Normalize();
    vDirection *= kArrowSize;
    const OVector left = vDirection.Rotate_90_Pos();
    const OVector right = vDirection.Rotate_90_Neg();
    const OVector side1 = vPosition + left;
    const OVector tip = (vPosition + vDirection) + vDirection;
    const OVector side2 = vPosition + right;
    // A closed outline: the first corner repeated at the end.
    const POINT outline[kArrowPoints] = {PixelPoint(side1), PixelPoint(tip), PixelPoint(side2),
                                         PixelPoint(side1)};
    pContext->PathDraw_DrawPolyline(outline, kArrowPoints);
    return true;
}

bool OVectorPath::DrawRotatedText(OType_DrawingContext* pContext, OVector vPosition,
                                  OVector vDirection, std::u16string text, int iOffsetAcross,
                                  int iModeAcross, int iOffsetAlong, int iModeAlong, int iHeight) {
    if (text.empty() || pContext == nullptr) {
        return false;
    }
    // The angle across the text line, folded into [0, pi]: the text line then points to
    // non-negative x, so the text never stands upside down.
    const double acrossAngle = FoldIntoHalfTurn(vDirection.dAngleRad() - kHalfPi);
    const double alongAngle = acrossAngle - kHalfPi;
    const OVector across = UnitVectorAt(acrossAngle);
    const OVector along = UnitVectorAt(alongAngle);

    OType_DrawingFont font;
    SIZE size{1, iHeight};
    pContext->CalcDPtoLP(&size);
    font.CreateFontW(size.cy, EscapementOf(alongAngle));
    OType_DrawingFont* previousFont = pContext->ChangeFont(&font);
    const int previousMode =
        pContext->ChangeBackgroundMode(OType_DrawingContext::kTransparentBackground);

    OVector anchor = vPosition;
    int width = 0;
    int height = 0;
    pContext->GetTextExtent(text, width, height);

    // Offsets are summed in 64 bits so that no caller value can overflow, then scaled in double.
    const std::int64_t d1 = iOffsetAcross;
    const std::int64_t d2 = iOffsetAlong;
    switch (iModeAcross) {
        case kAcrossBeyondText:
            anchor += across * static_cast<double>(d1 + height + 1);
            break;
        case kAcrossCentred:
            anchor += across * (height * 0.5 + static_cast<double>(d1));
            break;
        case kAcrossBefore:
            anchor -= across * static_cast<double>(1 - d1);
            break;
        default:
            break;
    }
    switch (iModeAlong) {
        case kAlongAfter:
            anchor += along * static_cast<double>(d2 + 1);
            break;
        case kAlongCentred:
            anchor -= along * (static_cast<double>(std::int64_t{width} + 1) * 0.5 -
                               static_cast<double>(d2));
            break;
        case kAlongBefore:
            anchor -= along * static_cast<double>(width - d2 + 1);
            break;
        default:
            break;
    }
    pContext->DrawTextW(anchor.iX(), anchor.iY(), text);

    pContext->ChangeFont(previousFont);
    pContext->ChangeBackgroundMode(previousMode);
    return true;
}

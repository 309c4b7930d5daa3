// Fuzz target: the three transition searches and the sub-pixel refinement on a small arbitrary
// image, with arbitrary paths and arguments.
//
// Input, in order (draws of FuzzInput):
//   image    a selector byte: an empty image pointer, an owned image, or a view of a buffer with
//            a row stride; width and height 0..32; the grey values, either pixel by pixel or
//            as one profile repeated along the rows, the columns or the distance from the centre;
//   path     a selector byte: a line between any two raw points, or a circle or float circle
//            with any raw centre and any radius, start and sweep (NaN and the infinities
//            included);
//   function a transition function of any type with any parameters (rejected setups keep the
//            path's default band, as a caller's would);
//   context  none, or a drawing context that answers any text extent and any device-to-logical
//            conversion;
//   then up to kMaxOperations operations: the three searches with every int argument drawn from
//   the whole int range (INT_MIN and INT_MAX included), resets and moves, new transition
//   functions, the sub-pixel refinement at a found or an arbitrary index, and the two drawing
//   helpers.
//
// Paths of more than kMaxSteps steps are skipped to keep one input fast: the searches walk every
// step. Nothing else is bounded; what the library must survive (coordinates far outside the
// image, radii and angles that are not numbers, extreme ints) is all drawn.
//
// Rules checked after every operation:
// - the drawing context has its font and background mode back (CheckingContext);
// - the path stands at an index in -1..GetCount();
// - FindNextTransition and FindNextTransitionSingle: false leaves the index -1 and the point
//   (INT_MIN, INT_MIN); true gives an index in -1..GetCount();
// - a pair search that answers true gives first and second indices in -1..GetCount() on a line,
//   and within one lap more or less on a circle (the full-circle wrap renumbers);
// - a line never writes the angle results;
// - the sub-pixel refinement answers 0 or 1, and 0 leaves the point and the angle untouched.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "subpixel/OSubpixelCalculation.h"

namespace {

constexpr int kMaxImageSide = 32;
// One search walks at most this many steps per operation.
constexpr int kMaxSteps = 20000;
constexpr int kMaxOperations = 8;
constexpr int kNotFoundIndex = -1;
// A sentinel that no search writes into an angle by itself.
constexpr double kUntouchedAngle = -12345.25;
constexpr std::size_t kMaxTextLength = 12;

// A drawing context that checks that every library call gives its font and background mode
// back. Sizes come from the input: text extents and the device-to-logical conversion may be any
// int, as a caller's context may answer them.
class CheckingContext final : public OType_DrawingContext {
  public:
    static constexpr int kInitialMode = 2;

    CheckingContext(int textWidth, int textHeight, int logicalHeight)
        : m_iTextWidth(textWidth), m_iTextHeight(textHeight), m_iLogicalHeight(logicalHeight) {}

    void PathDraw_MoveTo(int, int) override {}
    void PathDraw_LineTo(int, int) override {}
    void PathDraw_DrawPolyline(const POINT* points, int count) override {
        FUZZ_REQUIRE(points != nullptr && count > 0, "a polyline without points");
        // Every point must be readable (AddressSanitizer checks the reads).
        for (int i = 0; i < count; ++i) {
            m_iSink ^= points[i].x ^ points[i].y;
        }
    }
    void CalcDPtoLP(SIZE* size) const override {
        FUZZ_REQUIRE(size != nullptr, "a size conversion without a size");
        size->cy = m_iLogicalHeight;
    }
    OType_DrawingFont* ChangeFont(OType_DrawingFont* font) override {
        // A font handed in must be alive (AddressSanitizer checks the read).
        if (font != nullptr) {
            m_iSink ^= font->GetHeight() ^ font->GetEscapement();
        }
        OType_DrawingFont* previous = m_pFont;
        m_pFont = font;
        return previous;
    }
    int ChangeBackgroundMode(int mode) override {
        const int previous = m_iMode;
        m_iMode = mode;
        return previous;
    }
    void GetTextExtent(const std::u16string&, int& cx, int& cy) override {
        cx = m_iTextWidth;
        cy = m_iTextHeight;
    }
    void DrawTextW(int, int, const std::u16string& text) override {
        FUZZ_REQUIRE(!text.empty(), "an empty label was drawn");
    }

    void RequireRestored() const {
        FUZZ_REQUIRE(m_pFont == &m_initialFont, "the font was not given back");
        FUZZ_REQUIRE(m_iMode == kInitialMode, "the background mode was not given back");
    }

  private:
    int m_iTextWidth;
    int m_iTextHeight;
    int m_iLogicalHeight;
    int m_iSink = 0;
    OType_DrawingFont m_initialFont;
    OType_DrawingFont* m_pFont = &m_initialFont;
    int m_iMode = kInitialMode;
};

// Owns what the image may view.
struct ImageSource {
    std::vector<unsigned char> buffer;
    std::shared_ptr<OType_Image> image;
};

unsigned char GreyAt(const std::vector<unsigned char>& profile, std::size_t at) {
    return profile.empty() ? 0 : profile[at % profile.size()];
}

ImageSource MakeImage(FuzzInput& input) {
    ImageSource source;
    const int kind = input.U8() % 4;  // 0 empty pointer, 1 owned, 2 view, 3 owned
    const int width = input.U8() % (kMaxImageSide + 1);
    const int height = input.U8() % (kMaxImageSide + 1);
    const int padding = input.U8() % 4;
    const int stride = width + padding;
    const int fill = input.U8() % 4;  // pixel by pixel, along rows, along columns, radial
    const std::size_t pixels = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    const std::vector<unsigned char> profile =
        input.Bytes(fill == 0 ? pixels : static_cast<std::size_t>(input.U8() % kMaxImageSide));
    source.buffer.resize(pixels);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < stride; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * stride + x;
            const int dx = x - width / 2;
            const int dy = y - height / 2;
            const std::size_t ring = static_cast<std::size_t>(dx * dx + dy * dy);
            switch (fill) {
                case 0:
                    source.buffer[at] = GreyAt(profile, at);
                    break;
                case 1:
                    source.buffer[at] = GreyAt(profile, static_cast<std::size_t>(x));
                    break;
                case 2:
                    source.buffer[at] = GreyAt(profile, static_cast<std::size_t>(y));
                    break;
                default:
                    source.buffer[at] = GreyAt(profile, ring / 8);
                    break;
            }
        }
    }
    if (kind == 1 || kind == 3) {
        std::vector<unsigned char> owned;
        for (int y = 0; y < height; ++y) {
            const auto row = source.buffer.begin() + static_cast<std::ptrdiff_t>(y) * stride;
            owned.insert(owned.end(), row, row + width);
        }
        source.image = std::make_shared<OType_Image>(width, height, owned);
    } else if (kind == 2) {
        source.image = std::make_shared<OType_Image>(width, height, source.buffer.data(), stride);
    }
    return source;
}

std::unique_ptr<OVectorPath> MakePath(FuzzInput& input) {
    switch (input.U8() % 3) {
        case 0: {
            const OVector start(input.AnyRaw(), input.AnyRaw());
            const OVector end(input.AnyRaw(), input.AnyRaw());
            return std::make_unique<OVectorPath_Line>(start, end);
        }
        case 1: {
            const OVector centre(input.AnyRaw(), input.AnyRaw());
            const double radius = input.AnyDouble();
            const double start = input.AnyDouble();
            const double sweep = input.AnyDouble();
            return std::make_unique<OVectorPath_Circle>(centre, radius, start, sweep);
        }
        default: {
            const OVector centre(input.AnyRaw(), input.AnyRaw());
            const float radius = input.AnyFloat();
            const float start = input.AnyFloat();
            const float sweep = input.AnyFloat();
            return std::make_unique<OVectorPath_Circle_Float>(centre, radius, start, sweep);
        }
    }
}

// Small codes (polarities, ordinals, label kinds) mostly near their meaningful values, but any
// int is possible.
int Code(FuzzInput& input, int lo, int hi) {
    return input.Bool() ? input.IntInRange(lo, hi) : input.AnyInt();
}

void CreateFunction(FuzzInput& input, OVectorPath& path,
                    const std::shared_ptr<OType_Image>& image) {
    const int type = Code(input, -1, 4);
    const int first = input.AnyInt();
    const int second = input.AnyInt();
    const int third = Code(input, 0, 11);
    const int fourth = Code(input, -1, 13);
    path.bCreateTransitionFunction(type, first, second, third, fourth,
                                   input.Bool() ? image : nullptr);
}

bool IsNotFoundPoint(const OVector& point) {
    return point == OVector(INT_MIN, INT_MIN);
}

class Session {
  public:
    Session(FuzzInput& input, OVectorPath& path, bool isLine, std::shared_ptr<OType_Image> image,
            CheckingContext* context)
        : m_input(input),
          m_path(path),
          m_bLine(isLine),
          m_image(std::move(image)),
          m_pContext(context) {}

    void Run() {
        for (int op = 0; op < kMaxOperations && m_input.Remaining() > 0; ++op) {
            switch (m_input.U8() % 8) {
                case 0:
                    Single();
                    break;
                case 1:
                    Next();
                    break;
                case 2:
                    Pair();
                    break;
                case 3:
                    m_path.Reset();
                    break;
                case 4:
                    Move();
                    break;
                case 5:
                    Subpixel();
                    break;
                case 6:
                    CreateFunction(m_input, m_path, m_image);
                    break;
                default:
                    Draw();
                    break;
            }
            if (m_pContext != nullptr) {
                m_pContext->RequireRestored();
            }
            int position = 0;
            m_path.CurrentPos(position);
            FUZZ_REQUIRE(position >= -1 && position <= m_path.GetCount(), "path off its positions");
        }
    }

  private:
    std::shared_ptr<OType_Image> SearchImage() { return m_input.U8() == 0 ? nullptr : m_image; }

    void RequireFoundOrNot(bool found, int index, const OVector& point, double angle) {
        if (found) {
            FUZZ_REQUIRE(index >= -1 && index <= m_path.GetCount(), "result index off the path");
            m_iLastIndex = index;
        } else {
            FUZZ_REQUIRE(index == kNotFoundIndex && IsNotFoundPoint(point),
                         "not found, but the results were written");
        }
        if (m_bLine) {
            FUZZ_REQUIRE(angle == kUntouchedAngle, "a line wrote an angle");
        }
    }

    void Next() {
        const std::shared_ptr<OType_Image> image = SearchImage();
        const int polarity = Code(m_input, -1, 3);
        const int minDistance = m_input.AnyInt();
        const int reference = m_input.AnyInt();
        const int labelKind = Code(m_input, -1, 4);
        const int labelNumber = m_input.AnyInt();
        int index = 0;
        OVector point(7, 7);
        double angle = kUntouchedAngle;
        const bool found =
            m_path.FindNextTransition(image, polarity, minDistance, reference, index, point, angle,
                                      m_pContext, labelKind, labelNumber);
        RequireFoundOrNot(found, index, point, angle);
    }

    void Single() {
        const std::shared_ptr<OType_Image> image = SearchImage();
        const int ordinal = Code(m_input, 0, 4);
        const int polarity = Code(m_input, -1, 3);
        const int minDistance = m_input.AnyInt();
        const int reference = m_input.AnyInt();
        const int labelKind = Code(m_input, -1, 4);
        const int labelBase = m_input.AnyInt();
        const bool goOn = m_input.Bool();
        int index = 0;
        OVector point(7, 7);
        double angle = kUntouchedAngle;
        const bool found =
            m_path.FindNextTransitionSingle(image, ordinal, polarity, minDistance, reference, index,
                                            point, angle, m_pContext, labelKind, labelBase, goOn);
        RequireFoundOrNot(found, index, point, angle);
    }

    void Pair() {
        const std::shared_ptr<OType_Image> image = SearchImage();
        int args[10];
        args[0] = Code(m_input, 0, 4);   // first ordinal
        args[1] = Code(m_input, -1, 3);  // first polarity
        args[2] = m_input.AnyInt();      // distance from the first reference
        args[3] = m_input.AnyInt();      // distance from the second result
        args[4] = m_input.AnyInt();      // first reference
        args[5] = Code(m_input, 0, 4);   // second ordinal
        args[6] = Code(m_input, -1, 3);  // second polarity
        args[7] = m_input.AnyInt();      // distance from the second reference
        args[8] = m_input.AnyInt();      // distance from the first result
        args[9] = m_input.AnyInt();      // second reference
        const int secondAfterFirst = Code(m_input, 0, 2);
        const int labelMode = Code(m_input, -1, 2);
        const int labelBase1 = m_input.AnyInt();
        const int labelBase2 = m_input.AnyInt();
        const bool goOn = m_input.Bool();
        int index1 = 0;
        int index2 = 0;
        OVector point1(7, 7);
        OVector point2(7, 7);
        double angle1 = kUntouchedAngle;
        double angle2 = kUntouchedAngle;
        const bool found = m_path.FindNextTransitionPair(
            image, args[0], args[1], args[2], args[3], args[4], args[5], args[6], args[7], args[8],
            args[9], secondAfterFirst, index1, point1, angle1, index2, point2, angle2, m_pContext,
            labelMode, labelBase1, labelBase2, goOn);
        if (found) {
            const std::int64_t count = m_path.GetCount();
            // A full circle may wrap once: the second edge continues the numbering past the lap,
            // the first result counts one lap less.
            const std::int64_t lo = m_bLine ? -1 : -1 - count;
            const std::int64_t hi = m_bLine ? count : 2 * count;
            FUZZ_REQUIRE(index1 >= lo && index1 <= hi && index2 >= lo && index2 <= hi,
                         "pair indices off the path");
            m_iLastIndex = index2;
        }
        if (m_bLine) {
            FUZZ_REQUIRE(angle1 == kUntouchedAngle && angle2 == kUntouchedAngle,
                         "a line wrote an angle");
        }
    }

    void Move() {
        OVector point;
        switch (m_input.U8() % 4) {
            case 0:
                m_path.MoveTo(m_input.AnyInt(), point);
                break;
            case 1:
                m_path.MoveNextRaster(point);
                break;
            case 2:
                m_path.MovePrevRaster(point);
                break;
            default:
                m_path.MoveEnd(point);
                break;
        }
    }

    void Subpixel() {
        const int method = Code(m_input, 0, 2);
        const int index = m_input.Bool() ? m_iLastIndex : m_input.AnyInt();
        OType_Image* image = m_input.U8() == 0 ? nullptr : m_image.get();
        const OVector before(m_input.AnyRaw(), m_input.AnyRaw());
        const double angleBefore = m_input.AnyDouble();
        OVector point = before;
        double angle = angleBefore;
        const int answer = OSubpixelCalculation::CalculateTransitionOnPath(image, &m_path, method,
                                                                           index, point, angle);
        FUZZ_REQUIRE(answer == 0 || answer == 1, "the refinement answers neither 0 nor 1");
        if (answer == 0) {
            FUZZ_REQUIRE(point == before && std::memcmp(&angle, &angleBefore, sizeof angle) == 0,
                         "a failed refinement changed its outputs");
        }
    }

    void Draw() {
        const OVector position(m_input.AnyRaw(), m_input.AnyRaw());
        const OVector direction(m_input.AnyRaw(), m_input.AnyRaw());
        if (m_input.Bool()) {
            OVectorPath::DrawDirectionArrow(m_pContext, position, direction);
            return;
        }
        std::u16string text;
        const std::size_t length = m_input.U8() % kMaxTextLength;
        for (std::size_t i = 0; i < length; ++i) {
            text.push_back(static_cast<char16_t>(m_input.U16()));
        }
        const int offsetAcross = m_input.AnyInt();
        const int modeAcross = Code(m_input, -1, 3);
        const int offsetAlong = m_input.AnyInt();
        const int modeAlong = Code(m_input, -1, 3);
        const int height = m_input.AnyInt();
        OVectorPath::DrawRotatedText(m_pContext, position, direction, text, offsetAcross,
                                     modeAcross, offsetAlong, modeAlong, height);
    }

    FuzzInput& m_input;
    OVectorPath& m_path;
    bool m_bLine;
    std::shared_ptr<OType_Image> m_image;
    CheckingContext* m_pContext;
    int m_iLastIndex = kNotFoundIndex;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const ImageSource source = MakeImage(input);
    const std::unique_ptr<OVectorPath> path = MakePath(input);
    const bool isLine = path->GetPathType() == OVectorPath::kPathTypeLine;
    if (path->GetCount() > kMaxSteps) {
        return 0;
    }
    CreateFunction(input, *path, source.image);

    std::unique_ptr<CheckingContext> context;
    if (input.Bool()) {
        const int textWidth = input.AnyInt();
        const int textHeight = input.AnyInt();
        const int logicalHeight = input.AnyInt();
        context = std::make_unique<CheckingContext>(textWidth, textHeight, logicalHeight);
    }
    Session(input, *path, isLine, source.image, context.get()).Run();
    return 0;
}

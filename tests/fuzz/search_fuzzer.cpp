// Fuzz target: the three transition searches and the sub-pixel refinement on a small arbitrary
// image, with arbitrary paths and arguments.
//
// Input, in order: the image (owned, or a view of a buffer with a row stride; sides 0..32; grey
// values cycling through a run of input bytes; any call may get no image instead); the path (a
// line between any two raw points, or a circle or float circle with any centre, radius, start
// and sweep); the drawing context's text extent and device-to-logical height (any ints); a
// transition function of any type and parameters; then up to kMaxOperations operations: a
// single, next or pair search, a move, the sub-pixel refinement at a found or any index, a new
// transition function. Every int argument may be any int. Paths of more than kMaxSteps steps are
// skipped to keep one input fast (the searches walk every step); nothing else is bounded.
//
// Rules checked after every operation:
// - the context has its font and background mode back; the path stands at -1..GetCount();
// - single and next search: false leaves the index -1 and the point (INT_MIN, INT_MIN), true
//   gives an index in -1..GetCount(); a pair found lies on the path (within one lap more or less
//   on a circle, whose full-circle wrap renumbers); a line never writes an angle;
// - the sub-pixel refinement answers 0 or 1, and 0 leaves the point and the angle untouched.

#include <climits>
#include <memory>
#include <vector>

#include "FuzzInput.h"
#include "RecordingContext.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "subpixel/OSubpixelCalculation.h"

namespace {

constexpr int kMaxImageSide = 32;
constexpr int kMaxStridePadding = 4;
constexpr std::size_t kGreyRun = 8;
constexpr int kMaxSteps = 20000;
constexpr int kMaxOperations = 8;
constexpr int kNotFound = -1;
// More characters than any label the searches draw.
constexpr int kMaxLabelCharacters = 16;
// A sentinel that no search writes into an angle by itself.
constexpr double kUntouchedAngle = -12345.25;

std::shared_ptr<OType_Image> MakeImage(FuzzInput& in, std::vector<unsigned char>& buffer) {
    const bool view = in.Bool();
    const int width = in.U8() % (kMaxImageSide + 1);
    const int height = in.U8() % (kMaxImageSide + 1);
    const int stride = width + in.U8() % kMaxStridePadding;
    // A run of grey values from the input (kGreyRun bytes per count byte), repeated.
    const std::size_t run = in.U8() * kGreyRun;
    buffer.resize(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] = i < run ? in.U8() : buffer[i - run];
    }
    if (view) {
        return std::make_shared<OType_Image>(width, height, buffer.data(), stride);
    }
    return std::make_shared<OType_Image>(
        width, height, std::vector<unsigned char>(buffer.begin(), buffer.begin() + width * height));
}

std::unique_ptr<OVectorPath> MakePath(FuzzInput& in) {
    const int kind = in.U8() % 3;
    const OVector start{in.Raw(), in.Raw()};
    if (kind == 0) {
        return std::make_unique<OVectorPath_Line>(start, OVector{in.Raw(), in.Raw()});
    }
    const double arc[3] = {in.Double(), in.Double(), in.Double()};  // radius, start, sweep
    if (kind == 1) {
        return std::make_unique<OVectorPath_Circle>(start, arc[0], arc[1], arc[2]);
    }
    return std::make_unique<OVectorPath_Circle_Float>(
        start, static_cast<float>(arc[0]), static_cast<float>(arc[1]), static_cast<float>(arc[2]));
}

class Session {
  public:
    Session(FuzzInput& in, OVectorPath& path, std::shared_ptr<OType_Image> image)
        : m_in(in), m_path(path), m_image(std::move(image)) {
        const auto sizes = m_in.Ints<3>();
        // The context answers a label's width as characters times this width: kept so that the
        // product stays an int, while the width still reaches about the int range.
        m_context.SetTextExtent(sizes[0] / kMaxLabelCharacters, sizes[1]);
        m_context.SetDPtoLP([height = sizes[2]](SIZE size) { return SIZE{size.cx, height}; });
    }

    void Run() {
        using Operation = void (Session::*)();
        constexpr Operation kOperations[] = {&Session::Search, &Session::Search, &Session::Move,
                                             &Session::Subpixel, &Session::CreateFunction};
        CreateFunction();
        for (int op = 0; op < kMaxOperations && m_in.Remaining() > 0; ++op) {
            (this->*kOperations[m_in.U8() % std::size(kOperations)])();
            FuzzRequire(m_context.FontRestored() && m_context.BackgroundModeRestored(),
                        "the context's font or background mode was not given back");
            m_context.ClearLog();
            int position = 0;
            m_path.CurrentPos(position);
            FuzzRequire(position >= -1 && position <= m_path.GetCount(), "path off its positions");
        }
    }

  private:
    std::shared_ptr<OType_Image> Image() { return m_in.Bool() ? m_image : nullptr; }
    bool IsLine() { return m_path.GetPathType() == OVectorPath::kPathTypeLine; }

    void CreateFunction() {
        const auto a = m_in.Ints<5>();
        m_path.bCreateTransitionFunction(a[0], a[1], a[2], a[3], a[4], Image());
    }

    void Move() {
        OVector point;
        if (!m_path.MoveTo(m_in.Int(), point)) {
            m_in.Bool() ? m_path.MoveNextRaster(point) : m_path.MovePrevRaster(point);
        }
    }

    // FindNextTransitionSingle, FindNextTransition or FindNextTransitionPair.
    void Search() {
        const int kind = m_in.U8() % 3;
        const std::shared_ptr<OType_Image> image = Image();
        const auto a = m_in.Ints<15>();
        int index[2] = {};
        OVector point[2] = {OVector(7, 7), OVector(7, 7)};
        double angle[2] = {kUntouchedAngle, kUntouchedAngle};
        const bool found =
            kind == 0
                ? m_path.FindNextTransitionSingle(image, a[0], a[1], a[2], a[3], index[0], point[0],
                                                  angle[0], &m_context, a[4], a[5], a[6] != 0)
            : kind == 1 ? m_path.FindNextTransition(image, a[0], a[1], a[2], index[0], point[0],
                                                    angle[0], &m_context, a[3], a[4])
                        : m_path.FindNextTransitionPair(
                              image, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9],
                              a[10], index[0], point[0], angle[0], index[1], point[1], angle[1],
                              &m_context, a[11], a[12], a[13], a[14] != 0);
        // A full circle may wrap once in a pair search: the second edge continues the numbering
        // past the lap, the first counts one lap less.
        const bool wraps = kind == 2 && !IsLine();
        const std::int64_t count = m_path.GetCount();
        for (int k = 0; k <= (kind == 2 ? 1 : 0); ++k) {
            FuzzRequire(!found || (index[k] >= (wraps ? -1 - count : -1) &&
                                   index[k] <= (wraps ? 2 * count : count)),
                        "result index off the path");
            FuzzRequire(!IsLine() || angle[k] == kUntouchedAngle, "a line wrote an angle");
        }
        FuzzRequire(
            found || kind == 2 || (index[0] == kNotFound && point[0] == OVector(INT_MIN, INT_MIN)),
            "not found, but the results were written");
        m_iLastIndex = found ? index[kind == 2 ? 1 : 0] : m_iLastIndex;
    }

    void Subpixel() {
        const int method = m_in.Int();
        const int index = m_in.Bool() ? m_iLastIndex : m_in.Int();
        OVector point(7, 7);
        double angle = kUntouchedAngle;
        const int answer = OSubpixelCalculation::CalculateTransitionOnPath(
            Image().get(), &m_path, method, index, point, angle);
        FuzzRequire(
            answer == 1 || (answer == 0 && point == OVector(7, 7) && angle == kUntouchedAngle),
            "a refinement answering neither 1 nor 0 with its outputs untouched");
    }

    FuzzInput& m_in;
    OVectorPath& m_path;
    std::shared_ptr<OType_Image> m_image;
    RecordingContext m_context;
    int m_iLastIndex = kNotFound;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    std::vector<unsigned char> buffer;
    std::shared_ptr<OType_Image> image = MakeImage(input, buffer);
    const std::unique_ptr<OVectorPath> path = MakePath(input);
    if (path->GetCount() <= kMaxSteps) {
        Session(input, *path, std::move(image)).Run();
    }
    return 0;
}

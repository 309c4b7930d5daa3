#pragma once
// LineBandWalk: the fast walk of a line under the grey band (transition type 0). Internal to the
// transition searches, which take it instead of the raster step and the evaluation one after the
// other whenever it applies.
//
// It is one loop over local raw coordinates that reads the image's bytes itself, and it visits
// the same positions, gives the same answers and leaves the same last-in records and line state as
// the general walk. It applies while every position left on the line has a pixel floor far inside
// the int range (where the raster step compares floors and iX()/iY() need no saturation): steps
// below 2^31 raw units and both ends below 2^30 pixels.

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "foundation/FixedPoint.h"
#include "paths/OVectorPath_Line.h"

class LineBandWalk {
  public:
    // Whether the fast walk can take the line over from where it stands.
    static bool Applies(const OVectorPath_Line& line, const OType_Image& image) {
        if (line.m_iTransitionType != OVectorPath::kTransitionBand || image.GetData() == nullptr) {
            return false;
        }
        const std::int64_t stepX = line.m_vStep.GetRawX();
        const std::int64_t stepY = line.m_vStep.GetRawY();
        const bool started = line.m_iCurrentPos >= 0;
        const OVector& base = started ? line.m_vCurrent : line.m_vStart;
        const std::int64_t remaining =
            std::int64_t{line.m_iStepCount} - (started ? line.m_iCurrentPos : 0);
        if (stepX <= -kFastStepLimit || stepX >= kFastStepLimit || stepY <= -kFastStepLimit ||
            stepY >= kFastStepLimit || remaining < 0 || !WithinFastRange(base.GetRawX()) ||
            !WithinFastRange(base.GetRawY())) {
            return false;
        }
        return WithinFastRange(base.GetRawX() + remaining * stepX) &&
               WithinFastRange(base.GetRawY() + remaining * stepY);
    }

    // The walk writes the last-in index and point of the search it serves.
    LineBandWalk(OVectorPath_Line& line, const OType_Image& image, int& iLastIn, OVector& vLastIn)
        : m_line(line), m_image(image), m_iLastIn(iLastIn), m_vLastIn(vLastIn) {}

    // Walks on from the line's current position, whose answer was `previous`, until `done` or the
    // end of the line, calling onTransition(entering) at every change of the answer.
    template <class OnTransition>
    void Walk(bool previous, const bool& done, OnTransition onTransition) {
        using fixedpoint::FloorPixel;
        OVectorPath_Line& path = m_line;
        // The band's test as IsInTransitionThreshold(int) makes it (the band has no state), and
        // its answer outside the image, where the grey value is the no-value marker.
        const int low = path.m_iTransitionParam1;
        const int high = path.m_iTransitionParam2;
        const bool outside = path.IsInTransitionThreshold(OVectorPath::kNoValue);
        // The answer for every byte, looked up in the loop (cheaper there than two comparisons).
        bool inBand[kGreyLevels];
        for (int grey = 0; grey < kGreyLevels; ++grey) {
            inBand[grey] = InBand(grey, low, high);
        }
        const std::int64_t stepX = path.m_vStep.GetRawX();
        const std::int64_t stepY = path.m_vStep.GetRawY();
        const int last = path.m_iStepCount;
        const unsigned char* const pixels = m_image.GetData();
        const std::ptrdiff_t stride = m_image.GetStride();
        const auto width = static_cast<std::uint64_t>(m_image.GetWidth());
        const auto height = static_cast<std::uint64_t>(m_image.GetHeight());

        int index = path.m_iCurrentPos;
        std::int64_t x = path.m_vCurrent.GetRawX();
        std::int64_t y = path.m_vCurrent.GetRawY();
        const auto recordLastIn = [&](int lastIn) {
            if (lastIn >= 0) {
                m_iLastIn = lastIn;
                const std::int64_t back = index - lastIn;
                m_vLastIn = OVector(x - back * stepX, y - back * stepY);
            }
        };
        const auto publish = [&]() {
            path.m_iCurrentPos = index;
            path.m_vCurrent = OVector(x, y);
        };
        const auto isInside = [&](std::int64_t pixelX, std::int64_t pixelY) {
            return static_cast<std::uint64_t>(pixelX) < width &&
                   static_cast<std::uint64_t>(pixelY) < height;
        };
        // The answer at a position (the pixel's grey value through the band, or the answer for
        // the no-value marker outside the image), read without a branch. With `checked` false the
        // caller knows the position lies in the image.
        const auto answerAt = [&](std::int64_t pixelX, std::int64_t pixelY, auto checked) {
            if constexpr (!decltype(checked)::value) {
                return inBand[pixels[pixelY * stride + pixelX]];
            } else {
                const bool inside = isInside(pixelX, pixelY);
                const std::ptrdiff_t offset = inside ? pixelY * stride + pixelX : 0;
                const bool inImage = inBand[pixels[offset]];
                return inside ? inImage : outside;
            }
        };
        // Before the start (index -1) a line stands on its start point, whose answer is
        // `previous`; index 0 lies on the same point, so stepping there changes no answer.
        if (index < 0 && index < last) {
            x = path.m_vStart.GetRawX();
            y = path.m_vStart.GetRawY();
            index = 0;
        }
        // One pass per sub-pixel step. A raster step ends at the first step whose pixel differs
        // from the pixel it started in, so a step that is not a raster position lies in the pixel
        // of the raster position before it and gives the same answer: only a raster position can
        // change the answer, and the loop needs no test of its own for them (the last index,
        // always a raster position, changes nothing when it stays in its pixel). The raster
        // position before a leaving transition, its last-in position, is looked up backwards
        // when the transition happens.
        const int firstIndex = index;
        const auto pixelOf = [&](int k) {
            const std::int64_t back = index - k;
            return std::pair(FloorPixel(x - back * stepX), FloorPixel(y - back * stepY));
        };
        const auto rasterIndexBefore = [&]() {
            int k = index - 1;
            const auto pixel = pixelOf(k);
            while (k > firstIndex && pixelOf(k - 1) == pixel) {
                --k;
            }
            return k;
        };
        const auto walkSteps = [&](auto checked) {
            while (index < last) {
                x += stepX;
                y += stepY;
                ++index;
                const bool in = answerAt(FloorPixel(x), FloorPixel(y), checked);
                if (in != previous) {
                    previous = in;
                    recordLastIn(in ? index : rasterIndexBefore());
                    publish();
                    onTransition(in);
                    if (done) {
                        return false;
                    }
                }
            }
            return true;
        };
        // Positions are x + k * step exactly, so when the current and the last position lie in the
        // image (a rectangle) every position between them does: the common case of a line drawn
        // on the image walks without the bounds test.
        const std::int64_t endX = x + (last - index) * stepX;
        const std::int64_t endY = y + (last - index) * stepY;
        const bool allInside =
            isInside(FloorPixel(x), FloorPixel(y)) && isInside(FloorPixel(endX), FloorPixel(endY));
        const bool finished =
            allInside ? walkSteps(std::false_type{}) : walkSteps(std::true_type{});
        if (!finished) {
            return;
        }
        if (previous) {
            recordLastIn(index);
        }
        publish();
    }

  private:
    static constexpr std::int64_t kFastStepLimit = std::int64_t{1} << 31;
    static constexpr std::int64_t kFastRawLimit = std::int64_t{1} << (30 + fixedpoint::kRawShift);

    static constexpr int kGreyLevels = 256;

    static bool InBand(int grey, int low, int high) { return grey >= low && grey <= high; }

    static bool WithinFastRange(std::int64_t raw) {
        return raw > -kFastRawLimit && raw < kFastRawLimit;
    }

    OVectorPath_Line& m_line;
    const OType_Image& m_image;
    int& m_iLastIn;
    OVector& m_vLastIn;
};

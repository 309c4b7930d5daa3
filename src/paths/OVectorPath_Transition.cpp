// The transition function of every path: set-up, read-back and evaluation.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "edge/OCannyEdge.h"
#include "paths/OVectorPath.h"
#include "paths/PathProfile.h"

namespace {

constexpr int kGreyMin = 0;
constexpr int kGreyMax = 255;
constexpr int kSignedDeviationMin = -255;
constexpr int kDepthMin = 1;
constexpr int kDepthMax = OVectorPath::kHistorySize;
constexpr int kCannyThresholdMin = 1;
constexpr int kCannyThresholdMax = 255;
constexpr int kCannySigmaIndexMin = 0;
constexpr int kCannySigmaIndexMax = 12;
// What the Canny type stores as its second parameter; nothing reads it afterwards.
constexpr int kCannyParam2 = 255;
// Sigma index that the other types leave behind.
constexpr int kDefaultSigmaIndex = 1;
// Depth that the grey band leaves behind.
constexpr int kBandDepth = 2;

bool InRange(int value, int low, int high) {
    return value >= low && value <= high;
}

// Mean of the history: depths 2 and 4 divide by shifting (rounding down also for negative sums),
// the others by truncating division; for grey values both give the rounded-down mean.
std::int64_t HistoryMean(std::int64_t sum, int depth) {
    constexpr int kShiftForDepth2 = 1;
    constexpr int kShiftForDepth4 = 2;
    if (depth == 2) {
        return sum >> kShiftForDepth2;
    }
    if (depth == 4) {
        return sum >> kShiftForDepth4;
    }
    return sum / depth;
}

// Whether a signed deviation has crossed a threshold: above it for a threshold of 0 or more
// (rising), below it for a negative one (falling).
bool CrossesEnter(std::int64_t deviation, int threshold) {
    return threshold >= 0 ? deviation > threshold : deviation < threshold;
}
bool StaysInside(std::int64_t deviation, int threshold) {
    return threshold >= 0 ? deviation <= threshold : deviation >= threshold;
}

}  // namespace

bool OVectorPath::bCreateTransitionFunction(int iType, int iParam1, int iParam2, int iParam3,
                                            int iParam4, std::shared_ptr<OType_Image> image) {
    switch (iType) {
        case kTransitionBand:
            if (!InRange(iParam1, kGreyMin, kGreyMax) || !InRange(iParam2, kGreyMin, kGreyMax) ||
                iParam1 > iParam2) {
                return false;
            }
            m_iTransitionType = iType;
            m_iTransitionParam1 = iParam1;
            m_iTransitionParam2 = iParam2;
            m_iTransitionParam3 = kBandDepth;
            m_iaCannyTransitions.RemoveAll();
            m_iSigmaIndex = kDefaultSigmaIndex;
            return true;
        case kTransitionAbsDeviation:
        case kTransitionSignedDeviation: {
            const int low = iType == kTransitionAbsDeviation ? kGreyMin : kSignedDeviationMin;
            if (!InRange(iParam1, low, kGreyMax) || !InRange(iParam2, low, kGreyMax) ||
                !InRange(iParam3, kDepthMin, kDepthMax)) {
                return false;
            }
            m_iTransitionType = iType;
            m_iTransitionParam1 = iParam1;
            m_iTransitionParam2 = iParam2;
            m_bInTransition = false;
            m_iTransitionParam3 = iParam3;
            std::fill(m_iaHistory, m_iaHistory + iParam3, kNoValue);
            m_iaCannyTransitions.RemoveAll();
            m_iSigmaIndex = kDefaultSigmaIndex;
            return true;
        }
        case kTransitionCanny:
            return CreateCannyTransitionFunction(iParam1, iParam4, image.get());
        default:
            return false;
    }
}

// Type 3: the Canny transition function of the whole path, computed once from the grey profile
// along the listed positions (a position outside the image is a gap in the profile).
bool OVectorPath::CreateCannyTransitionFunction(int iThreshold, int iSigmaIndex,
                                                const OType_Image* pImage) {
    m_iaCannyTransitions.RemoveAll();
    if (pImage == nullptr || !InRange(iThreshold, kCannyThresholdMin, kCannyThresholdMax)) {
        return false;
    }
    m_iTransitionType = kTransitionCanny;
    m_iTransitionParam1 = iThreshold;
    m_iTransitionParam2 = kCannyParam2;
    m_iSigmaIndex = std::clamp(iSigmaIndex, kCannySigmaIndexMin, kCannySigmaIndexMax);

    // A profile inside the image goes to the detector as the bytes it smooths; one that leaves the
    // image holds markers, which split it into segments, and goes as ints.
    WritableCollection<unsigned char> padded;
    if (PathProfile::ReadPaddedBytes(*this, *pImage, padded)) {
        OCannyEdge::FindTransitionsOfPaddedBytes(padded, m_iTransitionParam1, m_iSigmaIndex,
                                                 m_iaCannyTransitions);
        return true;
    }
    WritableCollection<int> profile;
    if (!PathProfile::Read(*this, *pImage, profile)) {
        // A path whose positions only its own list knows: read along the list, borrowing each
        // point instead of sharing it.
        OVector_Array positions;
        GetVectorPath(positions);
        const int count = positions.GetCount();
        profile.SetSize(count);
        for (int i = 0; i < count; ++i) {
            const OVector* const position = positions.GetPointerAt(i);
            profile[i] = position != nullptr ? pImage->GetPixel_Grey(*position) : kNoValue;
        }
    }
    // The detector's own answer is not passed on: an empty path still has a (empty) function.
    OCannyEdge::bFindCannyEdgeTransitions(profile, m_iTransitionParam1, m_iSigmaIndex,
                                          m_iaCannyTransitions, false);
    return true;
}

bool OVectorPath::IsInTransitionThreshold(int iGreyValue) {
    switch (m_iTransitionType) {
        case kTransitionBand:
            // The no-value marker lies below every bound.
            return iGreyValue >= m_iTransitionParam1 && iGreyValue <= m_iTransitionParam2;
        case kTransitionCanny:
            return true;
        case kTransitionAbsDeviation:
        case kTransitionSignedDeviation:
            return EvaluateMovingMean(iGreyValue);
        default:
            return false;
    }
}

// Types 1 and 2: the deviation of the value from the mean of the previous values, with
// hysteresis. Every call pushes the value into the history, so these types are evaluated once
// per position, in path order. A marker among the previous values (or as the value) freezes the
// answer until enough real values precede the current one.
bool OVectorPath::EvaluateMovingMean(int iGreyValue) {
    // The depth is always 1..10 after a set-up of these types; the clamp keeps a derived class
    // that changed the field from indexing outside the history.
    const int depth = std::clamp(m_iTransitionParam3, kDepthMin, kDepthMax);
    std::int64_t sum = 0;
    bool sawMarker = iGreyValue == kNoValue;
    for (int k = 0; k < depth; ++k) {
        if (m_iaHistory[k] == kNoValue) {
            sawMarker = true;
        } else {
            sum += m_iaHistory[k];
        }
    }
    for (int k = depth - 2; k >= 0; --k) {
        m_iaHistory[k + 1] = m_iaHistory[k];
    }
    m_iaHistory[0] = iGreyValue;
    if (sawMarker) {
        return m_bInTransition;
    }

    const std::int64_t deviation = std::int64_t{iGreyValue} - HistoryMean(sum, depth);
    if (m_iTransitionType == kTransitionAbsDeviation) {
        const std::int64_t magnitude = deviation < 0 ? -deviation : deviation;
        if (!m_bInTransition) {
            m_bInTransition = magnitude > m_iTransitionParam2;
            return m_bInTransition;
        }
        m_bInTransition = magnitude <= m_iTransitionParam1;
        return m_bInTransition;
    }
    if (!m_bInTransition) {
        m_bInTransition = CrossesEnter(deviation, m_iTransitionParam2);
        return m_bInTransition;
    }
    m_bInTransition = StaysInside(deviation, m_iTransitionParam1);
    return m_bInTransition;
}

bool OVectorPath::IsInTransitionThreshold(std::shared_ptr<OType_Image> image) {
    return IsInTransitionThresholdOf(image.get());
}

bool OVectorPath::IsInTransitionThresholdOf(const OType_Image* pImage) {
    if (m_iTransitionType < kTransitionBand || m_iTransitionType > kTransitionCanny) {
        return false;
    }
    if (m_iTransitionType != kTransitionCanny && pImage != nullptr) {
        OVector position;
        CurrentVector(position);
        return IsInTransitionThreshold(pImage->GetPixel_Grey(position));
    }
    int index = -1;
    CurrentPos(index);
    return CannyAnswerAt(index);
}

bool OVectorPath::IsInTransitionThresholdAt(const OType_Image* pImage, int iIndex,
                                            const OVector& vPosition) {
    if (m_iTransitionType < kTransitionBand || m_iTransitionType > kTransitionCanny) {
        return false;
    }
    if (m_iTransitionType != kTransitionCanny && pImage != nullptr) {
        return IsInTransitionThreshold(pImage->GetPixel_Grey(vPosition));
    }
    return CannyAnswerAt(iIndex);
}

// The precomputed function at a position; beyond either end the nearest end element, as long as
// the function has at least two elements.
bool OVectorPath::CannyAnswerAt(int iIndex) const {
    const int count = m_iaCannyTransitions.iGetCount();
    int element = 0;
    if (iIndex >= 0 && iIndex < count) {
        element = m_iaCannyTransitions.GetAt(iIndex);
    } else if (count >= 2) {
        element = m_iaCannyTransitions.GetAt(iIndex < 0 ? 0 : count - 1);
    } else {
        return false;
    }
    return element > 0;
}

#include "circlefit/OCircleFit_OutlierFilter.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>

#include "foundation/OVector.h"

namespace {

constexpr int kMinPoints = 3;             // a circle needs three points
constexpr int kMinPointsToFilter = 4;     // a pass on fewer points keeps them all
constexpr int kMinPointsForFeatures = 4;  // quality figures need at least this many points
constexpr int kMinKept = 3;               // a pass always keeps at least three points
// The filter band never gets narrower than this on either side of the mean (squared pixels).
constexpr double kMinBandHalfWidth = 1.0;
// Plausibility limits of the checked modes.
constexpr double kMaxCentreCoordinate = 10000.0;
constexpr double kMaxRadius = 20000.0;
// The extremes of the quality figures start below every possible deviation, so that the first
// point qualifies and, of equal deviations, the first one wins.
constexpr double kNoDeviationYet = -1.0;

// A list's count as int; 0 when it does not fit (a count outside the lists' contract included),
// so that such a list counts as too short.
int CountAsInt(const OFastArrayList<double>& list) {
    const std::int64_t count = list.GetCount();
    return (count < 0 || count > INT_MAX) ? 0 : static_cast<int>(count);
}

bool AllFinite(const OFastArrayList<double>& x, const OFastArrayList<double>& y, int n) {
    bool finite = true;
    for (int i = 0; i < n; ++i) {
        finite &= std::isfinite(x[i]) && std::isfinite(y[i]);
    }
    return finite;
}

bool IsFinite(const OCircleFit_Circle& c) {
    return std::isfinite(c.m_dCenterX) && std::isfinite(c.m_dCenterY) && std::isfinite(c.m_dRadius);
}

bool IsUsableGuess(const OCircleFit_Circle& c) {
    return IsFinite(c) && c.m_dRadius != 0.0;
}

// Written as "within the limits" so that a NaN centre or radius counts as implausible.
bool IsPlausible(const OCircleFit_Circle& c) {
    return std::fabs(c.m_dCenterX) <= kMaxCentreCoordinate &&
           std::fabs(c.m_dCenterY) <= kMaxCentreCoordinate && std::fabs(c.m_dRadius) <= kMaxRadius;
}

void AppendAll(const OFastArrayList<double>& x, const OFastArrayList<double>& y, int n,
               OFastArrayList<double>& toX, OFastArrayList<double>& toY) {
    for (int i = 0; i < n; ++i) {
        toX.Add(x[i]);
        toY.Add(y[i]);
    }
}

// Replaces the array's points by those of the lists (none for null lists).
void FillPoints(OVector_Array* target, const OFastArrayList<double>* x,
                const OFastArrayList<double>* y) {
    if (target == nullptr) {
        return;
    }
    target->RemoveAll();
    if (x == nullptr || y == nullptr) {
        return;
    }
    for (std::int64_t i = 0; i < x->GetCount(); ++i) {
        target->Add(std::make_shared<OVector>((*x)[i], (*y)[i]));
    }
}

// The working lists of the filter passes, all of capacity n: the points one pass drops, all
// points dropped so far (in the order of dropping), and two pairs that take turns: one holds the
// current points (once a pass has been accepted), the other receives the next pass's kept points,
// so that accepting a pass swaps roles instead of copying.
//
// The lists are released in the order in which they were made, not in reverse: each release but
// the last then leaves a hole below memory in use, and only the last one hands the whole block
// back at once. Released the other way round, every list would return to the top of the heap by
// itself and the allocator could give memory back to the system (a system call) up to once per
// list, on every call.
class PassLists {
  public:
    explicit PassLists(int n) {
        for (auto& list : m_lists) {
            list = std::make_unique<OFastArrayList<double>>(n);
        }
    }
    PassLists(const PassLists&) = delete;
    PassLists& operator=(const PassLists&) = delete;
    ~PassLists() {
        for (auto& list : m_lists) {
            list.reset();
        }
    }

    OFastArrayList<double>& DroppedX() { return *m_lists[kDroppedX]; }
    OFastArrayList<double>& DroppedY() { return *m_lists[kDroppedY]; }
    OFastArrayList<double>& OutlierX() { return *m_lists[kOutlierX]; }
    OFastArrayList<double>& OutlierY() { return *m_lists[kOutlierY]; }
    // The pair that does not hold the current points.
    OFastArrayList<double>& SpareX(const OFastArrayList<double>* currentX) {
        return currentX == m_lists[kFirstX].get() ? *m_lists[kSecondX] : *m_lists[kFirstX];
    }
    OFastArrayList<double>& SpareY(const OFastArrayList<double>* currentX) {
        return currentX == m_lists[kFirstX].get() ? *m_lists[kSecondY] : *m_lists[kFirstY];
    }

  private:
    enum {
        kDroppedX,
        kDroppedY,
        kOutlierX,
        kOutlierY,
        kFirstX,
        kFirstY,
        kSecondX,
        kSecondY,
        kCount
    };
    std::array<std::unique_ptr<OFastArrayList<double>>, kCount> m_lists;
};

// The outputs of one kind of deviation (largest, farthest inside, farthest outside).
struct DeviationOutputs {
    bool& found;
    double& deviation;
    double& x;
    double& y;
    double& circleX;
    double& circleY;

    void Clear() {
        found = false;
        deviation = 0.0;
        x = 0.0;
        y = 0.0;
        circleX = 0.0;
        circleY = 0.0;
    }
};

// The point of largest deviation seen so far.
struct Extreme {
    double deviation = kNoDeviationYet;
    double x = 0.0;
    double y = 0.0;
    double distance = 0.0;  // from the centre
    bool found = false;

    void Offer(double candidate, double px, double py, double d) {
        if (candidate > deviation) {
            deviation = candidate;
            x = px;
            y = py;
            distance = d;
            found = true;
        }
    }

    // The point, its deviation and the nearest point of the circle.
    void WriteTo(DeviationOutputs& out, const OCircleFit_Circle& c) const {
        if (!found) {
            return;
        }
        out.found = true;
        out.deviation = deviation;
        out.x = x;
        out.y = y;
        out.circleX = c.m_dCenterX + (x - c.m_dCenterX) * c.m_dRadius / distance;
        out.circleY = c.m_dCenterY + (y - c.m_dCenterY) * c.m_dRadius / distance;
    }
};

// Sums of d and d^2 for a standard deviation.
struct Spread {
    double sum = 0.0;
    double sumSquares = 0.0;

    void Add(double d) {
        sum += d;
        sumSquares += d * d;
    }

    // sqrt(sum d^2 / n - (sum d / n)^2) when that variance is positive; otherwise 0.
    double StandardDeviation(int n) const {
        const double count = static_cast<double>(n);
        const double variance = sumSquares / count - (sum / count) * (sum / count);
        return variance > 0.0 ? std::sqrt(variance) : 0.0;
    }
};

inline double DistanceFromCentre(const OCircleFit_Circle& c, double x, double y) {
    const double dx = x - c.m_dCenterX;
    const double dy = y - c.m_dCenterY;
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

// A fit on the points of two lists (borrowed, not copied), starting from the given circle.
OCircleFit_Circle OCircleFit_OutlierFilter::FitOn(OFastArrayList<double>& x,
                                                  OFastArrayList<double>& y,
                                                  const OCircleFit_Circle& start) {
    const OCircleFit_Data points(x, y, OCircleFit_Data::WithoutMaxDist{});
    return OCircleFit::CircleFit(points, start);
}

bool OCircleFit_OutlierFilter::bComputeCircleFit(
    int iCircleFitMode, OFastArrayList<double>& laX, OFastArrayList<double>& laY,
    bool bMaxDeviation, bool bMaxInnerDeviation, bool bMaxOuterDeviation, bool bSigmaAll,
    bool bSigmaInliers, int iFilterType, int iFilterIterations, const double& dSigmaFactor,
    OCircleFit_Circle& cCircle, OVector_Array* pvaInliers, OVector_Array* pvaOutliers,
    int& iInlierCount, int& iOutlierCount, bool& bMaxDevFound, double& dMaxDev, double& dMaxDevX,
    double& dMaxDevY, double& dMaxDevCircleX, double& dMaxDevCircleY, bool& bInnerDevFound,
    double& dMaxInnerDev, double& dInnerDevX, double& dInnerDevY, double& dInnerDevCircleX,
    double& dInnerDevCircleY, bool& bOuterDevFound, double& dMaxOuterDev, double& dOuterDevX,
    double& dOuterDevY, double& dOuterDevCircleX, double& dOuterDevCircleY, double& dSigmaAll,
    double& dSigmaInliers, std::function<bool()> /*fnCallback: released, never called*/) {
    iInlierCount = 0;
    iOutlierCount = 0;
    DeviationOutputs{bMaxDevFound, dMaxDev, dMaxDevX, dMaxDevY, dMaxDevCircleX, dMaxDevCircleY}
        .Clear();
    DeviationOutputs{bInnerDevFound, dMaxInnerDev,     dInnerDevX,
                     dInnerDevY,     dInnerDevCircleX, dInnerDevCircleY}
        .Clear();
    DeviationOutputs{bOuterDevFound, dMaxOuterDev,     dOuterDevX,
                     dOuterDevY,     dOuterDevCircleX, dOuterDevCircleY}
        .Clear();
    dSigmaAll = 0.0;
    dSigmaInliers = 0.0;

    const int n = CountAsInt(laX);
    if (CountAsInt(laY) != n || n < kMinPoints || !AllFinite(laX, laY, n) ||
        !IsUsableGuess(cCircle)) {
        return false;
    }
    const bool checked = iCircleFitMode >= kModeChecked;

    cCircle = FitOn(laX, laY, cCircle);
    if (!IsFinite(cCircle) || (checked && !IsPlausible(cCircle))) {
        return false;
    }

    // The points still in the fit: the input lists (only read) until a pass is accepted.
    OFastArrayList<double>* currentX = &laX;
    OFastArrayList<double>* currentY = &laY;
    std::unique_ptr<PassLists> lists;
    if (iFilterType == kFilterStdDev && iFilterIterations > 0) {
        lists = std::make_unique<PassLists>(n);
        double sigmaToBeat = cCircle.m_dSigma;
        for (int pass = 0; pass < iFilterIterations; ++pass) {
            OFastArrayList<double>& keptX = lists->SpareX(currentX);
            OFastArrayList<double>& keptY = lists->SpareY(currentX);
            FilterOutliers_StdDev_Aggressive(*currentX, *currentY, cCircle, dSigmaFactor, keptX,
                                             keptY, lists->DroppedX(), lists->DroppedY());
            if (keptX.GetCount() == currentX->GetCount()) {
                break;
            }
            const OCircleFit_Circle fit = FitOn(keptX, keptY, cCircle);
            if (fit.m_iIterations >= OCircleFit::IterMAX) {
                return false;
            }
            if (checked) {
                // Written as "lowers sigma" so that a NaN sigma never counts as better.
                if (!(fit.m_dSigma < sigmaToBeat) || !IsPlausible(fit)) {
                    break;
                }
                sigmaToBeat = fit.m_dSigma;
            } else if (!IsFinite(fit)) {
                return false;
            }
            currentX = &keptX;
            currentY = &keptY;
            lists->OutlierX().AddRange(lists->DroppedX());
            lists->OutlierY().AddRange(lists->DroppedY());
            cCircle = fit;
        }
    }

    if (checked) {
        ComputeCircleFitFeatures(
            bMaxDeviation, bMaxInnerDeviation, bMaxOuterDeviation, bSigmaAll, bSigmaInliers, laX,
            laY, *currentX, *currentY, cCircle, bMaxDevFound, dMaxDev, dMaxDevX, dMaxDevY,
            dMaxDevCircleX, dMaxDevCircleY, bInnerDevFound, dMaxInnerDev, dInnerDevX, dInnerDevY,
            dInnerDevCircleX, dInnerDevCircleY, bOuterDevFound, dMaxOuterDev, dOuterDevX,
            dOuterDevY, dOuterDevCircleX, dOuterDevCircleY, dSigmaAll, dSigmaInliers);
    }
    iInlierCount = CountAsInt(*currentX);
    FillPoints(pvaInliers, currentX, currentY);
    if (lists) {
        iOutlierCount = CountAsInt(lists->OutlierX());
        FillPoints(pvaOutliers, &lists->OutlierX(), &lists->OutlierY());
    } else {
        FillPoints(pvaOutliers, nullptr, nullptr);
    }
    return true;
}

void OCircleFit_OutlierFilter::FilterOutliers_StdDev_Aggressive(
    const OFastArrayList<double>& laX, const OFastArrayList<double>& laY,
    const OCircleFit_Circle& cCircle, const double& dSigmaFactor, OFastArrayList<double>& laKeptX,
    OFastArrayList<double>& laKeptY, OFastArrayList<double>& laDroppedX,
    OFastArrayList<double>& laDroppedY) {
    laKeptX.RemoveAll();
    laKeptY.RemoveAll();
    laDroppedX.RemoveAll();
    laDroppedY.RemoveAll();
    const int n = CountAsInt(laX);
    if (n < kMinPointsToFilter) {
        AppendAll(laX, laY, n, laKeptX, laKeptY);
        return;
    }

    // Squared distances from the centre and their first two moments. They are computed again
    // for the split below instead of being kept: the same bits, and no scratch array to
    // allocate (and fault in) on every pass.
    auto squaredDistance = [&](int i) {
        const double dx = cCircle.m_dCenterX - laX[i];
        const double dy = cCircle.m_dCenterY - laY[i];
        return dx * dx + dy * dy;
    };
    double sum = 0.0;
    double sumSquares = 0.0;
    for (int i = 0; i < n; ++i) {
        const double q = squaredDistance(i);
        sum += q;
        sumSquares += q * q;
    }
    const double count = static_cast<double>(n);
    const double mean = sum / count;
    const double variance = sumSquares / count - mean * mean;
    if (variance < 0.0) {  // only through rounding: nothing to judge by
        AppendAll(laX, laY, n, laKeptX, laKeptY);
        return;
    }
    const double sd = std::sqrt(variance);
    const double low = std::min(mean - dSigmaFactor * sd, mean - kMinBandHalfWidth);
    const double high = std::max(mean + dSigmaFactor * sd, mean + kMinBandHalfWidth);

    int kept = 0;
    for (int i = 0; i < n; ++i) {
        const double q = squaredDistance(i);
        const int undecided = n - i;  // this point included
        const bool inBand = low <= q && q <= high;
        // Keep regardless when keeping all the rest would not give more than the minimum.
        if (inBand || kept + undecided <= kMinKept) {
            laKeptX.Add(laX[i]);
            laKeptY.Add(laY[i]);
            ++kept;
        } else {
            laDroppedX.Add(laX[i]);
            laDroppedY.Add(laY[i]);
        }
    }
}

void OCircleFit_OutlierFilter::ComputeCircleFitFeatures(
    bool bMaxDeviation, bool bMaxInnerDeviation, bool bMaxOuterDeviation, bool bSigmaAll,
    bool bSigmaInliers, const OFastArrayList<double>& laAllX, const OFastArrayList<double>& laAllY,
    const OFastArrayList<double>& laInlierX, const OFastArrayList<double>& laInlierY,
    const OCircleFit_Circle& cCircle, bool& bMaxDevFound, double& dMaxDev, double& dMaxDevX,
    double& dMaxDevY, double& dMaxDevCircleX, double& dMaxDevCircleY, bool& bInnerDevFound,
    double& dMaxInnerDev, double& dInnerDevX, double& dInnerDevY, double& dInnerDevCircleX,
    double& dInnerDevCircleY, bool& bOuterDevFound, double& dMaxOuterDev, double& dOuterDevX,
    double& dOuterDevY, double& dOuterDevCircleX, double& dOuterDevCircleY, double& dSigmaAll,
    double& dSigmaInliers) {
    DeviationOutputs largestOut{bMaxDevFound, dMaxDev,        dMaxDevX,
                                dMaxDevY,     dMaxDevCircleX, dMaxDevCircleY};
    DeviationOutputs innerOut{bInnerDevFound, dMaxInnerDev,     dInnerDevX,
                              dInnerDevY,     dInnerDevCircleX, dInnerDevCircleY};
    DeviationOutputs outerOut{bOuterDevFound, dMaxOuterDev,     dOuterDevX,
                              dOuterDevY,     dOuterDevCircleX, dOuterDevCircleY};
    largestOut.Clear();
    innerOut.Clear();
    outerOut.Clear();
    dSigmaAll = 0.0;
    dSigmaInliers = 0.0;

    const int n = CountAsInt(laAllX);
    const int m = CountAsInt(laInlierX);
    if (n < kMinPointsForFeatures) {
        return;
    }

    const double r = cCircle.m_dRadius;
    Extreme largest;
    Extreme inner;
    Extreme outer;
    Spread all;
    if (bMaxDeviation || bMaxInnerDeviation || bMaxOuterDeviation || bSigmaAll) {
        const bool deviations = bMaxDeviation || bMaxInnerDeviation || bMaxOuterDeviation;
        for (int i = 0; i < n; ++i) {
            const double x = laAllX[i];
            const double y = laAllY[i];
            const double d = DistanceFromCentre(cCircle, x, y);
            const double e = d - r;
            if (bSigmaAll) {
                all.Add(d);
            }
            if (deviations) {
                largest.Offer(std::fabs(e), x, y, d);
                if (bMaxInnerDeviation && e <= 0.0) {
                    inner.Offer(-e, x, y, d);
                }
                if (bMaxOuterDeviation && e >= 0.0) {
                    outer.Offer(e, x, y, d);
                }
            }
        }
    }
    Spread inliers;
    if (bSigmaInliers) {
        for (int i = 0; i < m; ++i) {
            inliers.Add(DistanceFromCentre(cCircle, laInlierX[i], laInlierY[i]));
        }
    }

    if (bSigmaAll) {
        dSigmaAll = all.StandardDeviation(n);
    }
    if (bSigmaInliers) {
        dSigmaInliers = inliers.StandardDeviation(m);
    }
    if (bMaxDeviation) {
        largest.WriteTo(largestOut, cCircle);
    }
    if (bMaxInnerDeviation) {
        inner.WriteTo(innerOut, cCircle);
    }
    if (bMaxOuterDeviation) {
        outer.WriteTo(outerOut, cCircle);
    }
}

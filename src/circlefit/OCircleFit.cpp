#include "circlefit/OCircleFit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>

#include "circlefit/CircleFitTerms.h"
#include "circlefit/PointSetDiameter.h"

// The definition that puts IterMAX into the library as a symbol of its own.
const int OCircleFit::IterMAX;

namespace {

// ---------------------------------------------------------------------------------------------
// Constants of the fit

// A full turn as the fit has always written it: 6.283185308 is 2 pi rounded to ten digits (about
// 4.8e-10 too large). Angles are folded with this value, not with 2 pi, so that results stay the
// same bit for bit.
constexpr double kFullTurn = 6.283185308;
// One tolerance for both questions: is 1 + 4AF large enough for theta to mean something, and
// did the last step move the circle by less than this, relative to its radius.
constexpr double kTolerance = 5e-8;
// The working frame starts shifted by this much in y, so that a guess centred on the origin does
// not start degenerate.
constexpr double kStartShiftY = 0.9;
constexpr int kMaxStartShifts = 1000;
// Random frame shifts are (u - 0.5) * diameter in each coordinate, u a draw in [0, 1].
constexpr double kDrawCentre = 0.5;

// Levenberg-Marquardt damping.
constexpr double kLambdaStart = 0.01;
constexpr double kLambdaShrink = 0.04;  // after an accepted step
constexpr double kLambdaFloor = 1e-52;
constexpr double kLambdaGrow = 10.0;  // after a rejected step
// An invalid candidate (centre on the origin) with more damping than this moves the frame.
constexpr double kLambdaShiftAbove = 1.0;
// More damping than this: no step improves any more, the fit stops.
constexpr double kLambdaStopAbove = 1000.0;

// Angles further out than this many turns are reduced by fmod before the fold, which would
// otherwise take forever (or never end, once subtracting a turn no longer changes the value).
constexpr double kFoldLimitTurns = 64.0;

// ---------------------------------------------------------------------------------------------
// Generator state, one per process (see the header for the lock)

constexpr int kStateWords = 624;
constexpr int kMiddleOffset = 397;
constexpr int kIndexRegenerate = kStateWords;    // seeded, words to be regenerated
constexpr int kIndexUnseeded = kStateWords + 1;  // not seeded yet
constexpr std::uint32_t kDefaultSeed = 4357u;
constexpr std::uint32_t kSeedMultiplier = 69069u;
constexpr std::uint32_t kMatrixA = 0x9908b0dfu;
constexpr std::uint32_t kUpperMask = 0x80000000u;
constexpr std::uint32_t kLowerMask = 0x7fffffffu;
constexpr std::uint32_t kTemperingMaskB = 0x9d2c5680u;
constexpr std::uint32_t kTemperingMaskC = 0xefc60000u;
constexpr double kLargestWord = 4294967295.0;

struct GeneratorState {
    std::mutex mutex;
    std::uint32_t words[kStateWords] = {};
    int index = kIndexUnseeded;
};

// Constant-initialised (no constructor runs), so it is usable from any static initialiser.
GeneratorState g_generator;

// The functions below expect g_generator.mutex to be held.

void SeedLocked(std::uint32_t seed) {
    g_generator.words[0] = seed;
    for (int i = 1; i < kStateWords; ++i) {
        g_generator.words[i] = kSeedMultiplier * g_generator.words[i - 1];  // mod 2^32
    }
    g_generator.index = kIndexRegenerate;
}

inline std::uint32_t Twist(std::uint32_t upper, std::uint32_t lower, std::uint32_t far) {
    const std::uint32_t y = (upper & kUpperMask) | (lower & kLowerMask);
    return far ^ (y >> 1) ^ ((y & 1u) != 0 ? kMatrixA : 0u);
}

void RegenerateLocked() {
    std::uint32_t* mt = g_generator.words;
    int k = 0;
    for (; k < kStateWords - kMiddleOffset; ++k) {
        mt[k] = Twist(mt[k], mt[k + 1], mt[k + kMiddleOffset]);
    }
    for (; k < kStateWords - 1; ++k) {
        mt[k] = Twist(mt[k], mt[k + 1], mt[k + kMiddleOffset - kStateWords]);
    }
    mt[kStateWords - 1] = Twist(mt[kStateWords - 1], mt[0], mt[kMiddleOffset - 1]);
}

inline std::uint32_t Temper(std::uint32_t y) {
    y ^= y >> 11;
    y ^= (y << 7) & kTemperingMaskB;
    y ^= (y << 15) & kTemperingMaskC;
    y ^= y >> 18;
    return y;
}

double NextDrawLocked() {
    if (g_generator.index >= kIndexRegenerate) {
        if (g_generator.index == kIndexUnseeded) {
            SeedLocked(kDefaultSeed);
        }
        RegenerateLocked();
        g_generator.index = 0;
    }
    const std::uint32_t word = g_generator.words[g_generator.index++];
    return static_cast<double>(Temper(word)) / kLargestWord;
}

struct Shift {
    double dx;
    double dy;
};

// One random frame shift: dx first, then dy, as consecutive words of the sequence.
Shift DrawShift(double diameter) {
    std::lock_guard<std::mutex> lock(g_generator.mutex);
    const double dx = (NextDrawLocked() - kDrawCentre) * diameter;
    const double dy = (NextDrawLocked() - kDrawCentre) * diameter;
    return {dx, dy};
}

// ---------------------------------------------------------------------------------------------
// Circle parameters A, F, theta (formulas evaluated exactly as written, left to right)

struct Parameters {
    double A;
    double F;
    double theta;
};

// 1 + 4AF, which is (a^2 + b^2) / r^2: how far the centre lies from the origin of the frame.
inline double Validity(double A, double F) {
    return 1.0 + 4.0 * A * F;
}

Parameters FromCircle(double a, double b, double r) {
    Parameters p{};
    p.A = 1.0 / (2.0 * r);
    p.F = (a * a + b * b - r * r) * p.A;
    p.theta = std::acos(-a / std::sqrt(a * a + b * b));
    if (b > 0.0) {
        p.theta = kFullTurn - p.theta;
    }
    return p;
}

// A centre coordinate of the circle in the working frame: -D cos(theta) / (2A) for x, with
// sin(theta) for y.
inline double CentreCoordinate(double D, double cosOrSin, double A) {
    return -D * cosOrSin / (2.0 * A);
}

inline double RadiusOf(double A) {
    return 1.0 / std::fabs(2.0 * A);
}

double FoldAngle(double theta) {
    if (std::fabs(theta) > kFoldLimitTurns * kFullTurn) {
        theta = std::fmod(theta, kFullTurn);
    }
    while (theta > kFullTurn) {
        theta -= kFullTurn;
    }
    while (theta < 0.0) {
        theta += kFullTurn;
    }
    return theta;
}

using circlefit::CircleTerms;
using circlefit::kTermBlock;

// The current circle with the values every point needs.
CircleTerms Evaluate(const Parameters& p) {
    return {p.A, p.F, std::sqrt(Validity(p.A, p.F)), std::cos(p.theta), std::sin(p.theta)};
}

// The points of the working frame, and a block of them starting at a given point.
using Frame = circlefit::ShiftedPoints;

Frame Block(const Frame& f, std::size_t start) {
    return {f.x + start, f.y + start, std::min(kTermBlock, f.count - start), f.sx, f.sy};
}

// Sums of the normal matrix N and of the gradient R over all points.
struct NormalSums {
    double n11 = 0.0;
    double n12 = 0.0;
    double n13 = 0.0;
    double n22 = 0.0;
    double n23 = 0.0;
    double n33 = 0.0;
    double r1 = 0.0;
    double r2 = 0.0;
    double r3 = 0.0;
};

// The terms are computed block by block (see CircleFitTerms.h); the sums run strictly in point
// order, so they are exactly those of one plain loop over the points.
NormalSums SumNormalEquations(const Frame& f, const CircleTerms& circle) {
    double g[kTermBlock];
    double gA[kTermBlock];
    double gF[kTermBlock];
    double gTheta[kTermBlock];
    NormalSums sums;
    for (std::size_t start = 0; start < f.count; start += kTermBlock) {
        const Frame block = Block(f, start);
        circlefit::ComputeDistanceDerivatives(block, circle, g, gA, gF, gTheta);
        for (std::size_t i = 0; i < block.count; ++i) {
            sums.n11 += gA[i] * gA[i];
            sums.n12 += gA[i] * gF[i];
            sums.n13 += gA[i] * gTheta[i];
            sums.n22 += gF[i] * gF[i];
            sums.n23 += gF[i] * gTheta[i];
            sums.n33 += gTheta[i] * gTheta[i];
            sums.r1 += g[i] * gA[i];
            sums.r2 += g[i] * gF[i];
            sums.r3 += g[i] * gTheta[i];
        }
    }
    return sums;
}

// Root-mean-square signed distance of the points from a circle.
double RmsDistance(const Frame& f, const CircleTerms& circle) {
    double g[kTermBlock];
    double sum = 0.0;
    for (std::size_t start = 0; start < f.count; start += kTermBlock) {
        const Frame block = Block(f, start);
        circlefit::ComputeDistances(block, circle, g);
        for (std::size_t i = 0; i < block.count; ++i) {
            sum += g[i] * g[i];
        }
    }
    return std::sqrt(sum / static_cast<double>(f.count));
}

// Solves (N + lambda I) delta = R by a Cholesky factorisation and steps against delta.
Parameters DampedStep(const NormalSums& N, double lambda, const Parameters& p) {
    const double g11 = std::sqrt(N.n11 + lambda);
    const double g12 = N.n12 / g11;
    const double g13 = N.n13 / g11;
    const double g22 = std::sqrt(N.n22 + lambda - g12 * g12);
    const double g23 = (N.n23 - g12 * g13) / g22;
    const double g33 = std::sqrt(N.n33 + lambda - g13 * g13 - g23 * g23);
    const double e1 = N.r1 / g11;
    const double e2 = (N.r2 - e1 * g12) / g22;
    const double e3 = (N.r3 - e1 * g13 - e2 * g23) / g33;
    const double dTheta = e3 / g33;
    const double dF = (e2 - g23 * dTheta) / g22;
    const double dA = (e1 - g12 * dF - g13 * dTheta) / g11;
    return {p.A - dA, p.F - dF, p.theta - dTheta};
}

// The diameter is needed only for random frame shifts, which most fits never make, so it is
// computed on the first shift (the value is the same as if it had been computed up front).
class LazyDiameter {
  public:
    LazyDiameter(const double* x, const double* y, std::size_t n) : m_pdX(x), m_pdY(y), m_n(n) {}

    double Get() {
        if (!m_bKnown) {
            m_dValue = std::sqrt(circlefit::LargestSquaredDistance(m_pdX, m_pdY, m_n));
            m_bKnown = true;
        }
        return m_dValue;
    }

  private:
    const double* m_pdX;
    const double* m_pdY;
    std::size_t m_n;
    bool m_bKnown = false;
    double m_dValue = 0.0;
};

bool AllFinite(const double* x, const double* y, std::size_t n) {
    bool finite = true;
    for (std::size_t i = 0; i < n; ++i) {
        finite &= std::isfinite(x[i]) && std::isfinite(y[i]);
    }
    return finite;
}

bool CanFit(const OCircleFit_Data& points, const OCircleFit_Circle& guess) {
    const std::size_t n = points.GetCount();
    return n > 0 && points.GetX() != nullptr && points.GetY() != nullptr &&
           std::isfinite(guess.m_dCenterX) && std::isfinite(guess.m_dCenterY) &&
           std::isfinite(guess.m_dRadius) && guess.m_dRadius != 0.0 &&
           AllFinite(points.GetX(), points.GetY(), n);
}

// How one iteration ended.
enum class Outcome { kAccepted, kConverged, kShiftFrame, kStopped };

}  // namespace

// ---------------------------------------------------------------------------------------------
// OCircleFit_Data

OCircleFit_Data::OCircleFit_Data() {
    AllocateOwned(0);
}

OCircleFit_Data::OCircleFit_Data(std::size_t n) {
    AllocateOwned(n);
}

OCircleFit_Data::OCircleFit_Data(std::size_t n, double* x, double* y) {
    AllocateOwned(n);
    if (n > 0 && x != nullptr && y != nullptr) {
        std::copy(x, x + n, m_pdX);
        std::copy(y, y + n, m_pdY);
        m_nCount = n;
    }
    EvalMaxDist();
}

OCircleFit_Data::OCircleFit_Data(OFastArrayList<double>& x, OFastArrayList<double>& y)
    : OCircleFit_Data(x, y, WithoutMaxDist{}) {
    EvalMaxDist();
}

OCircleFit_Data::OCircleFit_Data(OFastArrayList<double>& x, OFastArrayList<double>& y,
                                 WithoutMaxDist)
    : m_bOwnsArrays(false), m_pdX(x.GetBuffer()), m_pdY(y.GetBuffer()) {
    // The lists keep 0 <= count <= capacity; a list that broke it counts as empty here.
    const std::int64_t count = std::min(x.GetCount(), y.GetCount());
    const std::int64_t capacity = std::min(x.GetCapacity(), y.GetCapacity());
    m_nCount = count > 0 ? static_cast<std::size_t>(count) : 0;
    m_nCapacity = capacity > 0 ? static_cast<std::size_t>(capacity) : 0;
}

OCircleFit_Data::~OCircleFit_Data() = default;

void OCircleFit_Data::AllocateOwned(std::size_t n) {
    m_spOwnedX = std::shared_ptr<double[]>(new double[n]());
    m_spOwnedY = std::shared_ptr<double[]>(new double[n]());
    m_pdX = m_spOwnedX.get();
    m_pdY = m_spOwnedY.get();
    m_nCapacity = n;
    m_nCount = 0;
    m_bOwnsArrays = true;
}

bool OCircleFit_Data::SetCount(std::size_t n) {
    if (n > m_nCapacity) {
        return false;
    }
    m_nCount = n;
    return true;
}

void OCircleFit_Data::EvalMaxDist() {
    m_dMaxDist = std::sqrt(circlefit::LargestSquaredDistance(m_pdX, m_pdY, m_nCount));
}

void OCircleFit_Data::Center() {
    if (m_nCount == 0) {
        return;
    }
    double sumX = 0.0;
    double sumY = 0.0;
    for (std::size_t i = 0; i < m_nCount; ++i) {
        sumX += m_pdX[i];
        sumY += m_pdY[i];
    }
    const double meanX = sumX / static_cast<double>(m_nCount);
    const double meanY = sumY / static_cast<double>(m_nCount);
    for (std::size_t i = 0; i < m_nCount; ++i) {
        m_pdX[i] -= meanX;
        m_pdY[i] -= meanY;
    }
}

// ---------------------------------------------------------------------------------------------
// OCircleFit

OCircleFit::OCircleFit() {
    std::lock_guard<std::mutex> lock(g_generator.mutex);
    g_generator.index = kIndexUnseeded;
}

double OCircleFit::MT19937() {
    std::lock_guard<std::mutex> lock(g_generator.mutex);
    return NextDrawLocked();
}

void OCircleFit::MT19937_Seed(unsigned int seed) {
    std::lock_guard<std::mutex> lock(g_generator.mutex);
    SeedLocked(seed);
}

double OCircleFit::Distance(OCircleFit_Circle c1, OCircleFit_Circle c2) {
    return (std::fabs(c1.m_dCenterY - c2.m_dCenterY) + std::fabs(c1.m_dCenterX - c2.m_dCenterX) +
            std::fabs(c1.m_dRadius - c2.m_dRadius)) /
           (c2.m_dRadius + c1.m_dRadius);
}

OCircleFit_Circle OCircleFit::CircleFit(const OCircleFit_Data& points,
                                        const OCircleFit_Circle& guess) {
    if (!CanFit(points, guess)) {
        OCircleFit_Circle unchanged = guess;
        unchanged.m_iIterations = 0;
        return unchanged;
    }
    Frame frame{points.GetX(), points.GetY(), points.GetCount(), 0.0, kStartShiftY};
    LazyDiameter diameter(frame.x, frame.y, frame.count);

    // The reference circle ("old"): in the caller's frame throughout, its sigma the one to beat.
    OCircleFit_Circle old(guess.m_dCenterX, guess.m_dCenterY, guess.m_dRadius, guess.m_dSigma, 0);

    // The guess in the working frame; while its centre lies on the origin, move the frame.
    double a = guess.m_dCenterX + frame.sx;
    double b = guess.m_dCenterY + frame.sy;
    Parameters p = FromCircle(a, b, guess.m_dRadius);
    for (int tries = 0; tries < kMaxStartShifts && Validity(p.A, p.F) < kTolerance; ++tries) {
        const Shift shift = DrawShift(diameter.Get());
        frame.sx += shift.dx;
        frame.sy += shift.dy;
        a += shift.dx;
        b += shift.dy;
        p = FromCircle(a, b, guess.m_dRadius);
    }

    double lambda = kLambdaStart;
    int iterations = 0;
    double resultSigma = 0.0;
    Outcome outcome = Outcome::kAccepted;
    while (outcome != Outcome::kConverged && outcome != Outcome::kStopped) {
        if (++iterations > IterMAX) {
            break;
        }
        const CircleTerms current = Evaluate(p);
        // The sums depend only on the current circle: rejected steps re-solve with more damping.
        const NormalSums sums = SumNormalEquations(frame, current);
        for (;;) {
            const Parameters candidate = DampedStep(sums, lambda, p);
            if (Validity(candidate.A, candidate.F) < kTolerance) {
                if (lambda > kLambdaShiftAbove) {
                    outcome = Outcome::kShiftFrame;
                    break;
                }
            } else {
                const CircleTerms e = Evaluate(candidate);
                const double sigma = RmsDistance(frame, e);
                if (sigma <= old.m_dSigma) {
                    const double x = CentreCoordinate(e.D, e.cosTheta, e.A) - frame.sx;
                    const double y = CentreCoordinate(e.D, e.sinTheta, e.A) - frame.sy;
                    const double r = RadiusOf(e.A);
                    p = candidate;
                    if ((std::fabs(x - old.m_dCenterX) + std::fabs(y - old.m_dCenterY) +
                         std::fabs(r - old.m_dRadius)) /
                            (old.m_dRadius + r) <
                        kTolerance) {
                        p.theta = FoldAngle(p.theta);
                        resultSigma = sigma;
                        outcome = Outcome::kConverged;
                        break;
                    }
                    lambda = std::max(kLambdaShrink * lambda, kLambdaFloor);
                    old = OCircleFit_Circle(x, y, r, sigma, 0);
                    outcome = Outcome::kAccepted;
                    break;
                }
            }
            lambda = kLambdaGrow * lambda;
            if (lambda > kLambdaStopAbove) {
                outcome = Outcome::kStopped;
                break;
            }
        }
        if (outcome == Outcome::kShiftFrame) {
            // Re-express the current circle in a frame moved by a random amount; lambda is kept.
            const Shift shift = DrawShift(diameter.Get());
            frame.sx += shift.dx;
            frame.sy += shift.dy;
            p = FromCircle(CentreCoordinate(current.D, current.cosTheta, p.A) + shift.dx,
                           CentreCoordinate(current.D, current.sinTheta, p.A) + shift.dy,
                           RadiusOf(p.A));
        }
    }

    const CircleTerms last = Evaluate(p);
    return OCircleFit_Circle(
        CentreCoordinate(last.D, last.cosTheta, last.A) - frame.sx,
        CentreCoordinate(last.D, last.sinTheta, last.A) - frame.sy, RadiusOf(last.A),
        outcome == Outcome::kConverged ? resultSigma : old.m_dSigma, iterations);
}

#pragma once
// Geometric circle fit: the circle that minimises the sum of squared orthogonal distances of a
// point set, found by Levenberg-Marquardt steps from a caller's initial guess.
//
// Units and frame: whatever the caller's points use (the library passes pixels as double); x and
// y form a right-handed or image frame alike, the fit does not care. The radius of a result is
// never negative; sigma is the root-mean-square orthogonal distance of the points from the
// circle.
//
// Method: the circle is carried as A = 1/(2r), F = (a^2 + b^2 - r^2) A and the angle theta of
// the centre seen from the origin, which stays well conditioned for huge radii (a line is A = 0).
// The parametrisation breaks down when the centre lies on the origin of the working frame, so
// the fit works in a frame shifted by (0, 0.9) and, when it must, shifts the frame again by a
// random amount (up to half the point set's diameter each way) drawn from a Mersenne Twister
// MT19937. Each step solves the 3x3 damped normal equations by a Cholesky factorisation; the fit
// converges when a step moves centre and radius by less than 5e-8 relative to the radius, and
// stops after IterMAX + 1 iterations or when the damping exceeds 1000.
//
// How the fit ends (m_iIterations counts the iterations):
//   converged            at most IterMAX iterations; sigma is that of the result;
//   iteration limit      IterMAX + 1 iterations; the last accepted circle and its sigma;
//   damping above 1000   no step lowers sigma any more: the last accepted circle with its sigma,
//                        or the guess itself (to within rounding) when no step was ever
//                        accepted; at most IterMAX iterations. A guess with sigma 0 therefore
//                        comes back with 1 iteration.
//
// Conditioning: the fit works in the caller's frame (moved by (0, 0.9)). When the centre lies
// far from the origin compared with the radius (say 10000 pixels away for a radius of 50), the
// derivatives lose digits to cancellation and the relative step can fall below 5e-8 before the
// minimum is reached. Callers that meet such circles move the points near the origin first
// (OCircleFit_Data::Center, or their own offset) and move the result back.
//
// Bad input: no points, a guess with radius 0 or a non-finite centre or radius, or a point with
// a NaN or infinite coordinate: the guess comes back unchanged with 0 iterations (the fit is not
// run). Duplicate, collinear or all-equal points are fitted like any others; collinear points
// drive the radius towards infinity and the fit ends by one of the rules above.
//
// Generator and threads: the generator state is one per process, as reproducible fits need
// (constructing an OCircleFit, or MT19937_Seed(4357), restarts the sequence of a fresh process).
// Every access to it holds one mutex, so concurrent fits on several threads are free of data
// races; a thread alone sees exactly the sequence it would see without the lock. The two draws of
// one frame shift are taken under one lock, so they are consecutive words of the sequence. With
// several threads drawing at once, which words a fit gets depends on the interleaving.
//
//   OFastArrayList<double> xs(n), ys(n);                 // filled by the caller
//   OCircleFit_Data points(xs, ys);                      // borrows the two lists
//   OCircleFit_Circle guess(100.0, 80.0, 25.0, 1e10, 0); // centre, radius, sigma, iterations
//   OCircleFit_Circle circle = OCircleFit::CircleFit(points, guess);

#include <cstddef>
#include <cstdint>
#include <memory>

#include "EdgeDetectionExport.h"
#include "foundation/OFastArrayList.h"

// A circle with its fit quality: the guess and the result of OCircleFit::CircleFit.
class EDGEDETECTION_EXPORT OCircleFit_Circle {
  public:
    // Centre (0, 0), radius 1, sigma 0, no iterations.
    OCircleFit_Circle() = default;
    OCircleFit_Circle(double x, double y, double r) : m_dCenterX(x), m_dCenterY(y), m_dRadius(r) {}
    // Sigma is left at 0; callers that need another value set it.
    OCircleFit_Circle(double x, double y, double r, int iterations)
        : m_dCenterX(x), m_dCenterY(y), m_dRadius(r), m_iIterations(iterations) {}
    OCircleFit_Circle(double x, double y, double r, double sigma, int iterations)
        : m_dCenterX(x), m_dCenterY(y), m_dRadius(r), m_dSigma(sigma), m_iIterations(iterations) {}

    // Copies all five fields; nothing for a null target.
    void CopyTo(OCircleFit_Circle* target) const {
        if (target != nullptr) {
            *target = *this;
        }
    }

    double m_dCenterX = 0.0;
    double m_dCenterY = 0.0;
    double m_dRadius = 1.0;
    double m_dSigma = 0.0;  // root-mean-square orthogonal distance of the points
    int m_iIterations = 0;
};

// The points of a fit: two coordinate arrays, either owned by the object or borrowed from two
// lists.
//
// Ownership: owned arrays are held through shared ownership. Copies (construction or assignment)
// share the arrays instead of duplicating them, as the fit's point sets always have, and the
// arrays are released once, with the last object that holds them; a borrowing object never
// releases anything and must not outlive the lists it borrows from.
//
// EvalMaxDist stores the diameter of the point set (the largest distance between two points,
// 0 for fewer than two). The first two constructors leave it at 0 until EvalMaxDist is called.
class EDGEDETECTION_EXPORT OCircleFit_Data {
  public:
    // Owns two empty arrays.
    OCircleFit_Data();
    // Owns two arrays of n zeros; the count is 0 until SetCount.
    explicit OCircleFit_Data(std::size_t n);
    // Owns copies of n points, then EvalMaxDist. A null array gives n zeros and a count of 0.
    OCircleFit_Data(std::size_t n, double* x, double* y);
    // Borrows the element buffers of the two lists (no copy), then EvalMaxDist. Count and capacity
    // are the smaller ones of the two lists.
    OCircleFit_Data(OFastArrayList<double>& x, OFastArrayList<double>& y);

    OCircleFit_Data(const OCircleFit_Data&) = default;
    OCircleFit_Data& operator=(const OCircleFit_Data&) = default;
    ~OCircleFit_Data();

    // Diameter of the current points: the square root of the largest
    // (x[i] - x[j])^2 + (y[i] - y[j])^2, computed exactly so; 0 when there are fewer than two
    // points. Pairs involving a NaN coordinate are ignored. About n log n, not n^2.
    void EvalMaxDist();
    // Moves the points so that their means are 0 (a borrowed list changes with it). Nothing when
    // there are no points.
    void Center();

    bool OwnsArrays() const { return m_bOwnsArrays; }
    std::size_t GetCapacity() const { return m_nCapacity; }
    std::size_t GetCount() const { return m_nCount; }
    // Sets the number of points in use; false (and nothing changes) above the capacity.
    bool SetCount(std::size_t n);
    double* GetX() { return m_pdX; }
    double* GetY() { return m_pdY; }
    const double* GetX() const { return m_pdX; }
    const double* GetY() const { return m_pdY; }
    double GetMaxDist() const { return m_dMaxDist; }

  private:
    // The measurement builds one point set per fit and never reads m_dMaxDist (the fit computes
    // the diameter itself when a frame shift needs it), so it skips EvalMaxDist.
    friend class OCircleFit_OutlierFilter;
    struct WithoutMaxDist {};
    OCircleFit_Data(OFastArrayList<double>& x, OFastArrayList<double>& y, WithoutMaxDist);

    void AllocateOwned(std::size_t n);

    bool m_bOwnsArrays = true;
    std::size_t m_nCapacity = 0;
    std::size_t m_nCount = 0;
    double* m_pdX = nullptr;
    double* m_pdY = nullptr;
    double m_dMaxDist = 0.0;
    // Keep owned arrays alive across copies; empty when borrowing.
    std::shared_ptr<double[]> m_spOwnedX;
    std::shared_ptr<double[]> m_spOwnedY;
};

// The fit and its random generator (static operations only; see the top of this file).
class EDGEDETECTION_EXPORT OCircleFit {
  public:
    // Limit of both iteration loops of the fit.
    static const int IterMAX = 1000;

    // Puts the generator back to "not seeded", so that the next draw seeds it with 4357 and the
    // sequence of a fresh process starts again.
    OCircleFit();
    ~OCircleFit() = default;
    OCircleFit(const OCircleFit&) = default;
    // No effect.
    OCircleFit& operator=(const OCircleFit&) { return *this; }

    // The fitted circle, starting from the guess (whose sigma is taken as the sigma to beat).
    // Neither the points nor the guess change.
    static OCircleFit_Circle CircleFit(const OCircleFit_Data& points,
                                       const OCircleFit_Circle& guess);

    // Relative difference of two circles:
    // (|y1 - y2| + |x1 - x2| + |r1 - r2|) / (r2 + r1).
    static double Distance(OCircleFit_Circle c1, OCircleFit_Circle c2);

    // Next number of the process-wide MT19937 sequence as a tempered 32-bit word divided by
    // 4294967295.0, in [0, 1] with both ends possible. Without seeding, the first draw seeds the
    // generator with 4357.
    static double MT19937();
    // Seeds the generator: word 0 = seed, word i = 69069 * word i-1 (mod 2^32).
    static void MT19937_Seed(unsigned int seed);
};

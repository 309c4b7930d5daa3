#include "circlefit/CircleFitTerms.h"

#include <cmath>

// This file is compiled with -fno-math-errno (see CMakeLists.txt): std::sqrt then needs no errno
// branch and becomes the vector square root instruction. Results are unchanged; only errno is
// never set.

namespace circlefit {
namespace {

// The terms every formula starts from, for one point: its coordinates in the working frame,
// z = x^2 + y^2, u = x cos(theta) + y sin(theta), P = A z + D u + F and Q = sqrt(4AP + 1).
// fourA is 4A, hoisted out of the loops: 4AP evaluates it first anyway, so the bits are the same.
struct Head {
    double x;
    double y;
    double z;
    double u;
    double P;
    double Q;
};

inline Head HeadOf(double px, double py, const ShiftedPoints& p, const CircleTerms& k,
                   double fourA) {
    Head h{};
    h.x = px + p.sx;
    h.y = py + p.sy;
    h.z = h.x * h.x + h.y * h.y;
    h.u = h.x * k.cosTheta + h.y * k.sinTheta;
    h.P = k.A * h.z + k.D * h.u + k.F;
    h.Q = std::sqrt(fourA * h.P + 1.0);
    return h;
}

// g = 2P / (Q + 1), the signed distance of the point from the circle.
inline double SignedDistance(const Head& h) {
    return 2.0 * h.P / (h.Q + 1.0);
}

// The bodies work on local copies of the block and the circle and say with __restrict that the
// arrays never overlap: the stores then cannot change anything the loop reads, and the compiler
// vectorises without run-time overlap checks. The leading factors 2F and 2A of 2Fu/D and 2Au/D
// are hoisted like 4A.
inline void DerivativesBody(const ShiftedPoints& block, const CircleTerms& k, double* __restrict g,
                            double* __restrict gA, double* __restrict gF,
                            double* __restrict gTheta) {
    const ShiftedPoints p = block;
    const CircleTerms c = k;
    const double* __restrict px = p.x;
    const double* __restrict py = p.y;
    const double fourA = 4.0 * c.A;
    const double twoF = 2.0 * c.F;
    const double twoA = 2.0 * c.A;
    for (std::size_t i = 0; i < p.count; ++i) {
        const Head h = HeadOf(px[i], py[i], p, c, fourA);
        const double v = h.y * c.cosTheta - h.x * c.sinTheta;
        const double gi = SignedDistance(h);
        const double factor = 2.0 / (h.Q + 1.0) * (1.0 - c.A * gi / h.Q);  // h of the formulas
        gA[i] = factor * (h.z + twoF * h.u / c.D) - gi * gi / h.Q;
        gF[i] = factor * (twoA * h.u / c.D + 1.0);
        gTheta[i] = factor * c.D * v;
        g[i] = gi;
    }
}

inline void DistancesBody(const ShiftedPoints& block, const CircleTerms& k, double* __restrict g) {
    const ShiftedPoints p = block;
    const CircleTerms c = k;
    const double* __restrict px = p.x;
    const double* __restrict py = p.y;
    const double fourA = 4.0 * c.A;
    for (std::size_t i = 0; i < p.count; ++i) {
        g[i] = SignedDistance(HeadOf(px[i], py[i], p, c, fourA));
    }
}

using DerivativesKernel = void (*)(const ShiftedPoints&, const CircleTerms&, double*, double*,
                                   double*, double*);
using DistancesKernel = void (*)(const ShiftedPoints&, const CircleTerms&, double*);

void DerivativesBaseline(const ShiftedPoints& p, const CircleTerms& k, double* g, double* gA,
                         double* gF, double* gTheta) {
    DerivativesBody(p, k, g, gA, gF, gTheta);
}

void DistancesBaseline(const ShiftedPoints& p, const CircleTerms& k, double* g) {
    DistancesBody(p, k, g);
}

struct Kernels {
    DerivativesKernel derivatives;
    DistancesKernel distances;
};

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The same bodies compiled for AVX2 (four doubles per register instead of two). Only AVX2 is
// enabled, not FMA, and the build forbids contraction anyway.
__attribute__((target("avx2"))) void DerivativesAvx2(const ShiftedPoints& p, const CircleTerms& k,
                                                     double* g, double* gA, double* gF,
                                                     double* gTheta) {
    DerivativesBody(p, k, g, gA, gF, gTheta);
}

__attribute__((target("avx2"))) void DistancesAvx2(const ShiftedPoints& p, const CircleTerms& k,
                                                   double* g) {
    DistancesBody(p, k, g);
}

Kernels SelectKernels() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) {
        return {DerivativesAvx2, DistancesAvx2};
    }
    return {DerivativesBaseline, DistancesBaseline};
}
#else
Kernels SelectKernels() {
    return {DerivativesBaseline, DistancesBaseline};
}
#endif

// Chosen once; the initialisation of a function-local static is thread-safe.
const Kernels& ActiveKernels() {
    static const Kernels kernels = SelectKernels();
    return kernels;
}

}  // namespace

void ComputeDistanceDerivatives(const ShiftedPoints& points, const CircleTerms& circle, double* g,
                                double* gA, double* gF, double* gTheta) {
    ActiveKernels().derivatives(points, circle, g, gA, gF, gTheta);
}

void ComputeDistances(const ShiftedPoints& points, const CircleTerms& circle, double* g) {
    ActiveKernels().distances(points, circle, g);
}

}  // namespace circlefit

#include "circlefit/CircleFitTerms.h"

#include <cmath>

// This file is compiled with -fno-math-errno (see CMakeLists.txt): std::sqrt then needs no errno
// branch and becomes the vector square root instruction. Results are unchanged; only errno is
// never set.

namespace circlefit {
namespace {

// The formulas of the fit. Leading factors of 4AP, 2Fu/D and 2Au/D are hoisted out of the loop:
// those products evaluate them first anyway, so the bits are the same.
// The arrays never overlap (the caller's block arrays and its own outputs); saying so with
// __restrict lets the compiler vectorise without run-time overlap checks.
inline void DerivativesBody(const PointBlock& p, const CircleTerms& k, double* __restrict g,
                            double* __restrict gA, double* __restrict gF,
                            double* __restrict gTheta) {
    const double* __restrict px = p.x;
    const double* __restrict py = p.y;
    const double A = k.A;
    const double F = k.F;
    const double D = k.D;
    const double c = k.cosTheta;
    const double s = k.sinTheta;
    const double fourA = 4.0 * A;
    const double twoF = 2.0 * F;
    const double twoA = 2.0 * A;
    for (std::size_t i = 0; i < p.count; ++i) {
        const double x = px[i] + p.sx;
        const double y = py[i] + p.sy;
        const double z = x * x + y * y;
        const double u = x * c + y * s;
        const double v = y * c - x * s;
        const double P = A * z + D * u + F;
        const double Q = std::sqrt(fourA * P + 1.0);
        const double gi = 2.0 * P / (Q + 1.0);  // signed distance from the circle
        const double h = 2.0 / (Q + 1.0) * (1.0 - A * gi / Q);
        gA[i] = h * (z + twoF * u / D) - gi * gi / Q;
        gF[i] = h * (twoA * u / D + 1.0);
        gTheta[i] = h * D * v;
        g[i] = gi;
    }
}

inline void DistancesBody(const PointBlock& p, const CircleTerms& k, double* __restrict g) {
    const double* __restrict px = p.x;
    const double* __restrict py = p.y;
    const double A = k.A;
    const double F = k.F;
    const double D = k.D;
    const double c = k.cosTheta;
    const double s = k.sinTheta;
    const double fourA = 4.0 * A;
    for (std::size_t i = 0; i < p.count; ++i) {
        const double x = px[i] + p.sx;
        const double y = py[i] + p.sy;
        const double z = x * x + y * y;
        const double u = x * c + y * s;
        const double P = A * z + D * u + F;
        const double Q = std::sqrt(fourA * P + 1.0);
        g[i] = 2.0 * P / (Q + 1.0);
    }
}

using DerivativesKernel = void (*)(const PointBlock&, const CircleTerms&, double*, double*, double*,
                                   double*);
using DistancesKernel = void (*)(const PointBlock&, const CircleTerms&, double*);

void DerivativesBaseline(const PointBlock& p, const CircleTerms& k, double* g, double* gA,
                         double* gF, double* gTheta) {
    DerivativesBody(p, k, g, gA, gF, gTheta);
}

void DistancesBaseline(const PointBlock& p, const CircleTerms& k, double* g) {
    DistancesBody(p, k, g);
}

struct Kernels {
    DerivativesKernel derivatives;
    DistancesKernel distances;
};

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The same bodies compiled for AVX2 (four doubles per register instead of two). Only AVX2 is
// enabled, not FMA, and the build forbids contraction anyway.
__attribute__((target("avx2"))) void DerivativesAvx2(const PointBlock& p, const CircleTerms& k,
                                                     double* g, double* gA, double* gF,
                                                     double* gTheta) {
    DerivativesBody(p, k, g, gA, gF, gTheta);
}

__attribute__((target("avx2"))) void DistancesAvx2(const PointBlock& p, const CircleTerms& k,
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

void ComputeDistanceDerivatives(const PointBlock& points, const CircleTerms& circle, double* g,
                                double* gA, double* gF, double* gTheta) {
    ActiveKernels().derivatives(points, circle, g, gA, gF, gTheta);
}

void ComputeDistances(const PointBlock& points, const CircleTerms& circle, double* g) {
    ActiveKernels().distances(points, circle, g);
}

}  // namespace circlefit

#pragma once
// The per-point terms of the circle fit, in blocks: for each point (x + sx, y + sy) of a block the
// signed distance g from the circle given by A, F, theta and, for the normal equations, its
// derivatives gA, gF, gTheta. Internal to the library.
//
// Every term is computed exactly as the fit writes it (left to right, no fused multiply-add), one
// point at a time; points are independent, so the compiler computes several at once in vector
// registers, which gives the same bits as the scalar operations (IEEE add, multiply, divide and
// square root are correctly rounded however wide the register). On x86-64 processors with AVX2
// the blocks run through a copy of the code compiled for AVX2, chosen once at the first call;
// elsewhere through the baseline copy. Sums over the terms are left to the caller, which adds
// them strictly in point order.

#include <cstddef>

namespace circlefit {

// Points per block: callers provide output arrays of this size.
constexpr std::size_t kTermBlock = 256;

// The circle as the per-point formulas need it.
struct CircleTerms {
    double A;
    double F;
    double D;  // sqrt(1 + 4AF)
    double cosTheta;
    double sinTheta;
};

// Points moved into the working frame by (sx, sy); a block holds up to kTermBlock of them.
struct ShiftedPoints {
    const double* x;
    const double* y;
    std::size_t count;
    double sx;
    double sy;
};

// g and its derivatives by A, F and theta for every point of the block.
void ComputeDistanceDerivatives(const ShiftedPoints& points, const CircleTerms& circle, double* g,
                                double* gA, double* gF, double* gTheta);

// g for every point of the block.
void ComputeDistances(const ShiftedPoints& points, const CircleTerms& circle, double* g);

}  // namespace circlefit

#pragma once
// EDGEDETECTION_VECTOR_CLONES before a function's definition builds it twice, for AVX2 and for
// any x86-64 processor; the dynamic loader picks the one the processor runs. Meant for loops the
// compiler turns into vector instructions: the AVX2 build does the same operations on more lanes
// at once, so both give the same bits (no fused multiply-add is enabled). Elsewhere it is empty.
// Internal to the library: the functions it marks are not exported.

#if defined(__x86_64__) && defined(__GNUC__)
#define EDGEDETECTION_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define EDGEDETECTION_VECTOR_CLONES
#endif

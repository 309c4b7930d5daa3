#pragma once
// EDGEDETECTION_VECTOR_CLONES before a function's definition builds it twice, for AVX2 and for
// any x86-64 processor; the dynamic loader picks the one the processor runs. Meant for loops the
// compiler turns into vector instructions: the AVX2 build does the same operations on more lanes
// at once, so both give the same bits (no fused multiply-add is enabled). Elsewhere it is empty.
// Internal to the library: the functions it marks are not exported.

// Not under ThreadSanitizer: Clang instruments the resolver that picks a clone, and the loader runs
// it while it relocates the library, before ThreadSanitizer's runtime is ready (a crash at start).
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define EDGEDETECTION_THREAD_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define EDGEDETECTION_THREAD_SANITIZER 1
#endif

#if defined(__x86_64__) && defined(__GNUC__) && !defined(EDGEDETECTION_THREAD_SANITIZER)
#define EDGEDETECTION_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define EDGEDETECTION_VECTOR_CLONES
#endif

#pragma once
// FuzzInput: reads the fuzzer's bytes front to back as the arguments of library calls.
//
// An exhausted input reads as zero bytes, so every draw is defined for every input. Int, Double
// and Raw start with a selector byte. From kWideSelector on, every bit pattern of the type
// follows (the limits, NaN, the infinities, subnormals). Below it stands a small value: for Int
// the selector itself less kSmallIntBias (codes, small distances and thresholds: -64..127), for
// the reals and raw coordinates a 16-bit count of sixteenths that follows (real geometry).
// tests/fuzz/make_seeds.py writes seeds in this layout.
//
// FuzzRequire(rule, what breaks it): a broken rule aborts, and libFuzzer keeps the input (and
// prints the stack).
// Including this header gives a fuzz target std::size_t and the fixed-width ints.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

inline void FuzzRequire(bool rule, const char* broken) {
    if (!rule) {
        std::fprintf(stderr, "rule broken: %s\n", broken);
        std::abort();
    }
}

class FuzzInput {
  public:
    static constexpr std::uint8_t kWideSelector = 0xC0;
    static constexpr int kSmallIntBias = 64;
    static constexpr double kSmallScale = 16.0;
    static constexpr std::int64_t kRawPerSmallStep = 65536 / 16;

    FuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::size_t Remaining() const { return m_size - m_position; }
    std::uint8_t U8() { return m_position < m_size ? m_data[m_position++] : 0; }
    bool Bool() { return (U8() & 1u) != 0; }

    // The next sizeof(T) bytes as a T (little-endian).
    template <class T>
    T Bits() {
        unsigned char bytes[sizeof(T)];
        for (unsigned char& byte : bytes) {
            byte = U8();
        }
        T value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }

    int Int() {
        const std::uint8_t selector = U8();
        return selector < kWideSelector ? selector - kSmallIntBias : Bits<std::int32_t>();
    }
    double Double() { return Wide() ? Bits<double>() : Small() / kSmallScale; }
    // N ints, drawn in order.
    template <std::size_t N>
    std::array<int, N> Ints() {
        std::array<int, N> values{};
        for (int& value : values) {
            value = Int();
        }
        return values;
    }
    // A raw 16.16 coordinate.
    std::int64_t Raw() {
        return Wide() ? Bits<std::int64_t>() : std::int64_t{Small()} * kRawPerSmallStep;
    }

  private:
    bool Wide() { return U8() >= kWideSelector; }
    int Small() { return Bits<std::int16_t>(); }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};

#pragma once
// FuzzInput: the fuzzer's bytes turned into the arguments of library calls, read front to back.
//
// Every draw is defined for every input: an exhausted input reads as zero bytes. Numbers are
// drawn through a selector byte that favours the values where arithmetic breaks (0, +-1, the
// limits of the type, NaN, the infinities, the largest and the smallest finite values) and small
// values that form real geometry, while every bit pattern of the type stays reachable. The layout
// of each draw is what tests/fuzz/make_seeds.py writes, so that seeds can be made by hand.
//
// FUZZ_REQUIRE(condition, message) is the fuzz targets' assertion: a broken rule aborts, and
// libFuzzer stores the input as a finding.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#define FUZZ_REQUIRE(condition, message)                                                       \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: rule broken: %s (%s)\n", __FILE__, __LINE__, message, \
                         #condition);                                                          \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::size_t Remaining() const { return m_size - m_position; }

    std::uint8_t U8() { return m_position < m_size ? m_data[m_position++] : 0; }
    bool Bool() { return (U8() & 1u) != 0; }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Unsigned(2)); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(Unsigned(4)); }
    std::uint64_t U64() { return Unsigned(8); }

    // An int in lo..hi (hi - lo below 2^32), from four bytes.
    int IntInRange(int lo, int hi) {
        const std::uint64_t span = static_cast<std::uint64_t>(std::int64_t{hi} - lo) + 1;
        return static_cast<int>(lo + static_cast<std::int64_t>(U32() % span));
    }

    // Any int; selector 0..4 the edge values, 5 a small one, 6 and 7 any 32 bits.
    int AnyInt() {
        switch (U8() % 8) {
            case 0:
                return 0;
            case 1:
                return 1;
            case 2:
                return -1;
            case 3:
                return std::numeric_limits<int>::max();
            case 4:
                return std::numeric_limits<int>::min();
            case 5:
                return static_cast<int>(U16()) - kSmallIntBias;
            default:
                return static_cast<int>(U32());
        }
    }

    // Any double; selector 0 a special value, 1..3 sixteenths in -2048..2048, 4 a 1/256 step of
    // the int range, 5..7 any 64 bits (NaN payloads and subnormals included).
    double AnyDouble() {
        switch (U8() % 8) {
            case 0:
                return kSpecialDoubles[U8() % kSpecialCount];
            case 1:
            case 2:
            case 3:
                return static_cast<std::int16_t>(U16()) / 16.0;
            case 4:
                return static_cast<std::int32_t>(U32()) / 256.0;
            default: {
                const std::uint64_t bits = U64();
                double value = 0.0;
                std::memcpy(&value, &bits, sizeof value);
                return value;
            }
        }
    }

    // Any float, drawn as AnyDouble but with float bit patterns.
    float AnyFloat() {
        switch (U8() % 8) {
            case 0:
                return static_cast<float>(kSpecialFloats[U8() % kSpecialCount]);
            case 1:
            case 2:
            case 3:
                return static_cast<float>(static_cast<std::int16_t>(U16()) / 16.0);
            case 4:
                return static_cast<float>(static_cast<std::int32_t>(U32()) / 256.0);
            default: {
                const std::uint32_t bits = U32();
                float value = 0.0f;
                std::memcpy(&value, &bits, sizeof value);
                return value;
            }
        }
    }

    // A raw 16.16 coordinate; selector 0 a special value, 1..4 a pixel in -32..223 with any
    // fraction (points in and around a small image), 5 any int pixel, 6 and 7 any 64 bits.
    std::int64_t AnyRaw() {
        constexpr std::int64_t kRawOne = 65536;
        switch (U8() % 8) {
            case 0:
                return kSpecialRaws[U8() % kSpecialCount];
            case 1:
            case 2:
            case 3:
            case 4:
                return (static_cast<std::int64_t>(U8()) - kNearPixelBias) * kRawOne + U16();
            case 5:
                return static_cast<std::int64_t>(static_cast<std::int32_t>(U32())) * kRawOne;
            default:
                return static_cast<std::int64_t>(U64());
        }
    }

    std::vector<std::uint8_t> Bytes(std::size_t count) {
        const std::size_t taken = count < Remaining() ? count : Remaining();
        std::vector<std::uint8_t> bytes(m_data + m_position, m_data + m_position + taken);
        m_position += taken;
        return bytes;
    }

  private:
    static constexpr int kSmallIntBias = 256;
    static constexpr std::int64_t kNearPixelBias = 32;
    static constexpr int kSpecialCount = 16;
    static constexpr double kInf = std::numeric_limits<double>::infinity();
    static constexpr double kSpecialDoubles[kSpecialCount] = {
        0.0,
        -0.0,
        std::numeric_limits<double>::quiet_NaN(),
        kInf,
        -kInf,
        std::numeric_limits<double>::max(),
        -std::numeric_limits<double>::max(),
        std::numeric_limits<double>::min(),
        std::numeric_limits<double>::denorm_min(),
        1e300,
        -1e300,
        360.0,
        -360.0,
        0.5,
        2147483648.0,
        9.2233720368547758e18,
    };
    static constexpr float kFloatInf = std::numeric_limits<float>::infinity();
    static constexpr float kSpecialFloats[kSpecialCount] = {
        0.0f,
        -0.0f,
        std::numeric_limits<float>::quiet_NaN(),
        kFloatInf,
        -kFloatInf,
        std::numeric_limits<float>::max(),
        -std::numeric_limits<float>::max(),
        std::numeric_limits<float>::min(),
        std::numeric_limits<float>::denorm_min(),
        1e30f,
        -1e30f,
        360.0f,
        -360.0f,
        0.5f,
        2147483648.0f,
        9.2233720368547758e18f,
    };
    static constexpr std::int64_t kSpecialRaws[kSpecialCount] = {
        0,
        std::numeric_limits<std::int64_t>::min(),
        std::numeric_limits<std::int64_t>::max(),
        -1,
        -65535,
        -65536,
        65535,
        65536,
        std::int64_t{std::numeric_limits<int>::min()} * 65536,
        std::int64_t{std::numeric_limits<int>::max()} * 65536 + 65535,
        std::int64_t{1} << 47,
        -(std::int64_t{1} << 47),
        std::int64_t{46341} * 65536,
        std::int64_t{2048} * 65536,
        std::int64_t{32768} * 65536,
        std::int64_t{65536} * 65536,
    };

    std::uint64_t Unsigned(int byteCount) {
        std::uint64_t value = 0;
        for (int i = 0; i < byteCount; ++i) {
            value |= static_cast<std::uint64_t>(U8()) << (8 * i);
        }
        return value;
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};

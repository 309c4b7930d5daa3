// OByteStream and the records of OVector and OVector_Array: little-endian layout, round trips, and
// reads of truncated, lying or random bytes that answer false without reading past the end.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "foundation/OByteStream.h"
#include "foundation/OVector.h"
#include "foundation/OVector_Array.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::int64_t kRawMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kRawMin = std::numeric_limits<std::int64_t>::min();

Bytes Prefix(const Bytes& bytes, std::size_t length) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
}

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

Bytes RecordOf(OVector v) {
    OByteStream out;
    v.AddObjectData(out);
    return out.GetBytes();
}

OVector_Array ArrayOf(std::initializer_list<OVector> points) {
    OVector_Array array;
    for (const OVector& p : points) {
        array.Add(std::make_shared<OVector>(p));
    }
    return array;
}

Bytes RecordOf(OVector_Array& array) {
    OByteStream out;
    array.AddObjectData(out);
    return out.GetBytes();
}

TEST(ByteStreamTest, ValuesAreLittleEndian) {
    OByteStream out;
    out.WriteU32(0x01020304u);
    out.WriteDouble(1.0);
    out.WriteI64(-2);
    const Bytes expected = {0x04, 0x03, 0x02, 0x01,                           // u32
                            0,    0,    0,    0,    0,    0,    0xF0, 0x3F,   // 1.0
                            0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};  // -2
    EXPECT_EQ(out.GetBytes(), expected);
    EXPECT_EQ(out.GetPosition(), expected.size());
}

TEST(ByteStreamTest, ValuesReadBackUnchanged) {
    const double doubles[] = {-0.0, 5e-324, -1.7976931348623157e308,
                              std::numeric_limits<double>::infinity()};
    OByteStream out;
    out.WriteU32(0xFFFFFFFFu);
    out.WriteI64(kRawMin);
    for (double d : doubles) {
        out.WriteDouble(d);
    }
    WritableCollection<unsigned char> payload;
    payload.Add(7);
    payload.Add(0);
    payload.Add(255);
    out.WriteBytes(payload);

    OByteStream in(out.GetBytes());
    std::uint32_t u = 0;
    std::int64_t i = 0;
    ASSERT_TRUE(in.ReadU32(u));
    ASSERT_TRUE(in.ReadI64(i));
    EXPECT_EQ(u, 0xFFFFFFFFu);
    EXPECT_EQ(i, kRawMin);
    for (double expected : doubles) {
        double d = 0.0;
        ASSERT_TRUE(in.ReadDouble(d));
        EXPECT_EQ(std::memcmp(&d, &expected, sizeof d), 0) << expected;
    }
    WritableCollection<unsigned char> back;
    ASSERT_TRUE(in.ReadBytes(3, back));
    ASSERT_EQ(back.GetCount(), 3);
    EXPECT_EQ(back[2], 255);
    EXPECT_EQ(in.GetRemaining(), 0u);
}

TEST(ByteStreamTest, ShortReadsAnswerFalseAndKeepThePosition) {
    OByteStream in(Bytes{1, 2, 3, 4, 5, 6, 7});
    ASSERT_TRUE(in.SetPosition(4));
    std::uint32_t u = 99;
    double d = 99.0;
    WritableCollection<unsigned char> bytes;
    bytes.Add(42);
    EXPECT_FALSE(in.ReadU32(u));
    EXPECT_FALSE(in.ReadDouble(d));
    EXPECT_FALSE(in.ReadBytes(4, bytes));
    EXPECT_EQ(in.GetPosition(), 4u);
    EXPECT_EQ(u, 99u);
    EXPECT_EQ(bytes.GetCount(), 1);  // untouched
    EXPECT_TRUE(in.SetPosition(7));  // the end itself is a position
    EXPECT_FALSE(in.SetPosition(8));
    EXPECT_EQ(in.GetPosition(), 7u);
}

TEST(ByteStreamTest, OpenRecordChecksIdAndLength) {
    struct Case {
        const char* what;
        std::uint32_t length;
        std::uint32_t id;
        bool opens;
    };
    const std::uint32_t kId = 0xABCD0001u;
    const Case cases[] = {
        {"exact", 8, kId, true},
        {"other id", 8, kId + 1, false},
        {"longer than the bytes", 9, kId, false},
        {"too short for its own id", 3, kId, false},
        {"id only", 4, kId, true},
    };
    for (const Case& c : cases) {
        Bytes bytes(12, 0);
        PutU32(bytes, 0, c.length);
        PutU32(bytes, 4, c.id);
        OByteStream in(bytes);
        std::uint32_t length = 0;
        std::size_t end = 0;
        EXPECT_EQ(in.OpenRecord(kId, length, end), c.opens) << c.what;
        if (c.opens) {
            EXPECT_EQ(length, c.length) << c.what;
            EXPECT_EQ(end, 4u + c.length) << c.what;
            EXPECT_EQ(in.GetPosition(), 8u) << c.what;
        } else {
            EXPECT_EQ(in.GetPosition(), 0u) << c.what;
        }
    }
}

TEST(VectorRecordTest, RoundTripsRawValues) {
    const OVector values[] = {OVector(), OVector(-3.25, 1e6), OVector(kRawMax, kRawMin)};
    for (const OVector& v : values) {
        const Bytes bytes = RecordOf(v);
        ASSERT_EQ(bytes.size(), v.GetObjectSize());
        OByteStream in(bytes);
        OVector back(1, 1);
        ASSERT_TRUE(back.GetObjectData(in, true)) << v.GetRawX();
        EXPECT_EQ(back, v);
        EXPECT_EQ(in.GetPosition(), bytes.size());
    }
    // Head: length = size - 4, then the ID.
    const Bytes bytes = RecordOf(OVector(1, 2));
    OByteStream head(bytes);
    std::uint32_t length = 0;
    std::uint32_t id = 0;
    head.ReadU32(length);
    head.ReadU32(id);
    EXPECT_EQ(length, bytes.size() - 4);
    EXPECT_EQ(id, OVector::kObjectID);
}

TEST(VectorRecordTest, TruncatedOrLyingRecordsAnswerFalse) {
    const OVector original(5, -6);
    const Bytes bytes = RecordOf(original);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        OByteStream in(Prefix(bytes, length));
        OVector v(1, 1);
        EXPECT_FALSE(v.GetObjectData(in, true)) << "prefix " << length;
        EXPECT_EQ(v, OVector(1, 1)) << "prefix " << length;
        EXPECT_EQ(in.GetPosition(), 0u) << "prefix " << length;
    }
    // A length that does not cover the fields, with bytes enough behind it.
    Bytes shortLength = bytes;
    PutU32(shortLength, 0, 12);
    OByteStream in(shortLength);
    OVector v(1, 1);
    EXPECT_FALSE(v.GetObjectData(in, true));
    EXPECT_EQ(v, OVector(1, 1));
}

TEST(VectorRecordTest, UnknownTrailingBytesAreSkipped) {
    Bytes bytes = RecordOf(OVector(5, -6));
    const std::size_t known = bytes.size();
    bytes.insert(bytes.end(), {9, 9, 9});
    PutU32(bytes, 0, static_cast<std::uint32_t>(bytes.size() - 4));
    bytes.push_back(77);  // the next record's first byte
    OByteStream in(bytes);
    OVector v;
    ASSERT_TRUE(v.GetObjectData(in, true));
    EXPECT_EQ(v, OVector(5, -6));
    EXPECT_EQ(in.GetPosition(), known + 3);
}

TEST(VectorArrayRecordTest, RoundTripsElementsInOrder) {
    OVector_Array empty;
    OVector_Array three = ArrayOf({OVector(1, 2), OVector(-3.5, 0.25), OVector(kRawMin, kRawMax)});
    for (OVector_Array* array : {&empty, &three}) {
        const Bytes bytes = RecordOf(*array);
        ASSERT_EQ(bytes.size(), array->GetObjectSize());
        OByteStream in(bytes);
        OVector_Array back = ArrayOf({OVector(9, 9)});
        ASSERT_TRUE(back.GetObjectData(in, true)) << array->GetCount();
        ASSERT_EQ(back.GetCount(), array->GetCount());
        for (int i = 0; i < back.GetCount(); ++i) {
            EXPECT_EQ(*back.GetAt(i), *array->GetAt(i)) << "element " << i;
        }
    }
    EXPECT_EQ(three.GetAt(3), nullptr);
    EXPECT_EQ(three.GetAt(-1), nullptr);
}

// Elements are stored as plain point records whatever class derived from OVector they are, so
// the list's size, which a path record around it adds into its own length, counts those.
TEST(VectorArrayRecordTest, SizeCountsDerivedPointsAsTheyAreStored) {
    struct LargerPoint : OVector {
        using OVector::OVector;
        std::size_t GetObjectSize() const override { return 100; }
    };
    OVector_Array array;
    array.Add(std::make_shared<LargerPoint>(1, 2));
    array.Add(nullptr);
    const Bytes bytes = RecordOf(array);
    EXPECT_EQ(bytes.size(), array.GetObjectSize());
    OByteStream in(bytes);
    OVector_Array back;
    ASSERT_TRUE(back.GetObjectData(in, true));
    ASSERT_EQ(back.GetCount(), 2);
    EXPECT_EQ(*back.GetAt(0), OVector(1, 2));
    EXPECT_EQ(*back.GetAt(1), OVector());  // an empty slot is stored as the origin
}

TEST(VectorArrayRecordTest, TruncatedRecordsAndLyingCountsAnswerFalse) {
    OVector_Array array = ArrayOf({OVector(1, 2), OVector(3, 4)});
    const Bytes bytes = RecordOf(array);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        OByteStream in(Prefix(bytes, length));
        OVector_Array back = ArrayOf({OVector(9, 9)});
        EXPECT_FALSE(back.GetObjectData(in, true)) << "prefix " << length;
        ASSERT_EQ(back.GetCount(), 1) << "prefix " << length;
        EXPECT_EQ(in.GetPosition(), 0u) << "prefix " << length;
    }
    // Counts that claim more elements than the record holds (the largest would ask for
    // gigabytes if it were trusted).
    for (std::uint32_t count : {3u, 0xFFFFFFFFu}) {
        Bytes lying = bytes;
        PutU32(lying, 8, count);
        OByteStream in(lying);
        OVector_Array back;
        EXPECT_FALSE(back.GetObjectData(in, true)) << "count " << count;
        EXPECT_EQ(back.GetCount(), 0);
    }
}

// Random bytes, and random damage to valid records: every read stays inside the bytes (the
// sanitizer build checks) and leaves the position on the bytes.
TEST(VectorArrayRecordTest, RandomBytesNeverReadPastTheEnd) {
    std::mt19937 random(20240601u);
    OVector_Array source = ArrayOf({OVector(1, 2), OVector(3, 4), OVector(5, 6)});
    const Bytes valid = RecordOf(source);
    constexpr int kTrials = 3000;
    for (int trial = 0; trial < kTrials; ++trial) {
        Bytes bytes = valid;
        if (trial % 2 == 0) {
            bytes.resize(random() % 64);
            for (unsigned char& b : bytes) {
                b = static_cast<unsigned char>(random());
            }
        } else {
            bytes[random() % bytes.size()] = static_cast<unsigned char>(random());
            bytes.resize(random() % (bytes.size() + 1));
        }
        OByteStream in(bytes);
        OVector_Array array;
        array.GetObjectData(in, true);
        EXPECT_LE(in.GetPosition(), bytes.size()) << "trial " << trial;
        OByteStream again(bytes);
        OVector v;
        v.GetObjectData(again, true);
        EXPECT_LE(again.GetPosition(), bytes.size()) << "trial " << trial;
    }
}

}  // namespace

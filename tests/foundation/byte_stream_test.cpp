// OByteStream and the records of OVector and OVector_Array: little-endian layout, round trips, and
// reads of truncated or lying bytes that answer false without reading past the end.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <tuple>
#include <vector>

#include "foundation/OByteStream.h"
#include "foundation/OVector.h"
#include "foundation/OVector_Array.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::int64_t kRawMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kRawMin = std::numeric_limits<std::int64_t>::min();

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

template <class Object>
Bytes RecordOf(Object& object) {
    OByteStream out;
    object.AddObjectData(out);
    EXPECT_EQ(out.GetBytes().size(), object.GetObjectSize());
    return out.GetBytes();
}

// A record as a newer writer would make it: three unknown bytes after the known fields, counted
// in its length, then the first byte of the next record.
Bytes WithNewerFields(Bytes bytes) {
    bytes.insert(bytes.end(), {9, 9, 9});
    PutU32(bytes, 0, static_cast<std::uint32_t>(bytes.size() - 4));
    bytes.push_back(77);
    return bytes;
}

OVector_Array ArrayOf(std::initializer_list<OVector> points) {
    OVector_Array array;
    for (const OVector& p : points) {
        array.Add(std::make_shared<OVector>(p));
    }
    return array;
}

// Values are little-endian; a read that would pass the end answers false and changes neither
// the position nor its target.
TEST(ByteStreamTest, ValuesAreLittleEndianAndShortReadsAnswerFalse) {
    OByteStream out;
    out.WriteU32(0x01020304u);
    out.WriteDouble(1.0);
    out.WriteI64(-2);
    const Bytes expected = {0x04, 0x03, 0x02, 0x01,                           // u32
                            0,    0,    0,    0,    0,    0,    0xF0, 0x3F,   // 1.0
                            0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};  // -2
    EXPECT_EQ(out.GetBytes(), expected);
    OByteStream in(out.GetBytes());
    std::uint32_t u = 0;
    double d = 0.0;
    std::int64_t i = 0;
    WritableCollection<unsigned char> bytes;
    ASSERT_TRUE(in.ReadU32(u) && in.ReadDouble(d) && in.SetPosition(13) && in.ReadBytes(3, bytes));
    EXPECT_TRUE(u == 0x01020304u && d == 1.0) << u << ", " << d;
    EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), (Bytes{0xFF, 0xFF, 0xFF}));
    ASSERT_TRUE(in.SetPosition(expected.size() - 7));
    EXPECT_FALSE(in.ReadI64(i) || in.ReadDouble(d) || in.ReadBytes(8, bytes));
    EXPECT_TRUE(in.GetPosition() == expected.size() - 7 && d == 1.0 && bytes.GetCount() == 3)
        << "a failed read changes nothing";
    // The end itself is a position; one past it is not.
    EXPECT_TRUE(in.SetPosition(expected.size()) && !in.SetPosition(expected.size() + 1));
}

// Elements are stored as plain point records whatever class derived from OVector they are, so
// the list's size, which a path record around it adds into its own length, counts those.
TEST(RecordTest, RoundTripsElementsAsPlainPointsAndSkipsUnknownFields) {
    struct LargerPoint : OVector {
        using OVector::OVector;
        std::size_t GetObjectSize() const override { return 100; }
    };
    OVector_Array array = ArrayOf({OVector(-3.5, 0.25), OVector(kRawMin, kRawMax)});
    array.Add(std::make_shared<LargerPoint>(1, 2));
    array.Add(nullptr);  // an empty slot is stored as the origin
    const OVector expected[] = {OVector(-3.5, 0.25), OVector(kRawMin, kRawMax), OVector(1, 2),
                                OVector()};
    const Bytes bytes = WithNewerFields(RecordOf(array));
    OByteStream in(bytes);
    OVector_Array back = ArrayOf({OVector(9, 9)});
    ASSERT_TRUE(back.GetObjectData(in, true));
    EXPECT_EQ(in.GetPosition(), bytes.size() - 1) << "unknown fields skipped";
    ASSERT_EQ(back.GetCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(*back.GetAt(i), expected[i]) << "element " << i;
    }
    EXPECT_TRUE(back.GetAt(4) == nullptr && back.GetAt(-1) == nullptr);
    OVector point(kRawMax, kRawMin);
    const Bytes pointBytes = WithNewerFields(RecordOf(point));
    OByteStream pointIn(pointBytes);
    ASSERT_TRUE(point.GetObjectData(pointIn, true));
    EXPECT_EQ(pointIn.GetPosition(), pointBytes.size() - 1) << "unknown fields skipped";
}

// Every prefix of a valid record, and heads that lie: both readers answer false and leave the
// object and the position as they were.
TEST(RecordTest, TruncatedOrLyingRecordsAnswerFalse) {
    OVector point(5, -6);
    OVector_Array array = ArrayOf({OVector(1, 2), OVector(3, 4)});
    const Bytes valid[] = {RecordOf(point), RecordOf(array)};
    std::vector<Bytes> damaged;
    for (const Bytes& bytes : valid) {
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            damaged.emplace_back(bytes.begin(), bytes.begin() + length);
        }
    }
    // Record (point, list), byte offset, value written there.
    const std::tuple<int, std::size_t, std::uint32_t> lies[] = {
        {0, 0, 12},                      // a length that does not cover the fields
        {0, 4, OVector::kObjectID + 1},  // another object's ID
        {1, 8, 3},                       // more elements than the record holds
        {1, 8, 0xFFFFFFFFu},             // ... gigabytes if it were trusted
        {1, 16, 0}};                     // an element record of another object
    for (const auto& [record, at, value] : lies) {
        damaged.push_back(valid[record]);
        PutU32(damaged.back(), at, value);
    }
    for (const Bytes& bytes : damaged) {
        OByteStream pointIn(bytes);
        OByteStream arrayIn(bytes);
        OVector v(1, 1);
        OVector_Array back = ArrayOf({OVector(9, 9)});
        EXPECT_FALSE(v.GetObjectData(pointIn, true) || back.GetObjectData(arrayIn, true))
            << bytes.size() << " bytes";
        EXPECT_TRUE(v == OVector(1, 1) && back.GetCount() == 1) << bytes.size() << " bytes";
        EXPECT_EQ(pointIn.GetPosition() + arrayIn.GetPosition(), 0u) << bytes.size() << " bytes";
    }
}

}  // namespace

// Path records in byte streams: the layout of each kind, round trips that rebuild the path,
// unknown trailing bytes kept and written back, records below the read threshold or shorter than
// their fields, and lying, truncated or foreign bytes that answer false without changing the path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "PolygonProbe.h"
#include "foundation/Angles.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Angles written as radians and read back as degrees pass through roundings.
constexpr double kAngleTolerance = 1e-6;
constexpr std::size_t kHeadBytes = 8;
constexpr std::size_t kPointRecordBytes = 24;
constexpr std::size_t kCircleNumbers = kHeadBytes + kPointRecordBytes;  // radius, start, end
constexpr double kDegree = angles::kRadiansPerDegree;

template <class Circle>
class FlagProbe : public Circle {
  public:
    using Circle::Circle;
    bool FullCircle() const { return this->m_bFullCircle; }
};

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

template <class Object>
Bytes RecordOf(Object& object) {
    OByteStream out;
    object.AddObjectData(out);
    return out.GetBytes();
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t count) {
    return Bytes(bytes.begin() + from, bytes.begin() + from + count);
}

// A record with more bytes after its known fields, its length field grown to match.
Bytes WithTail(Bytes record, const Bytes& tail) {
    record.insert(record.end(), tail.begin(), tail.end());
    PutU32(record, 0, static_cast<std::uint32_t>(record.size() - 4));
    return record;
}

const Bytes kTenBytes = {0, 1, 2, 3, 0xFE, 0xFF, 7, 8, 9, 10};

// Reads `bytes` into `path`; gives the answer and where the stream stopped.
bool Read(OVectorPath& path, const Bytes& bytes, std::size_t& position, bool flag = true) {
    OByteStream in(bytes);
    const bool answer = path.GetObjectData(in, flag);
    position = in.GetPosition();
    return answer;
}

// Everything a read may change: the path written again (known fields and user data), its count
// and its position (a rebuild resets it; the targets below stand on index 1).
std::tuple<Bytes, int, int> StateOf(OVectorPath& path) {
    int position = 0;
    path.CurrentPos(position);
    return {RecordOf(path), path.GetCount(), position};
}

struct Kind {
    const char* name;
    std::uint32_t readThreshold;
    // A built path whose record is read in the tests.
    std::function<std::unique_ptr<OVectorPath>()> makeSample;
    // A path of the same class with other values, walked two steps, to read into.
    std::function<std::unique_ptr<OVectorPath>()> makeTarget;
};

// A path of class P; targets are walked two steps, so that a rebuild shows in its position.
template <class P, int kSteps = 0, class... Args>
std::unique_ptr<OVectorPath> Made(Args... args) {
    auto path = std::make_unique<P>(args...);
    for (int i = 0; i < kSteps; ++i) {
        path->MoveNext();
    }
    return path;
}

// A polygon is filled only by reading: its record is a head around the record of a point list.
std::unique_ptr<OVectorPath> SamplePolygon() {
    OVector_Array list;
    for (const OVector& p : {OVector(1, 2), OVector(30.5, -4.25), OVector(7, 70)}) {
        list.Add(std::make_shared<OVector>(p));
    }
    Bytes record = WithTail(Bytes(kHeadBytes), RecordOf(list));
    PutU32(record, 4, OVectorPath_Polygon::kObjectID);
    auto polygon = std::make_unique<PolygonProbe>();
    std::size_t position = 0;
    EXPECT_TRUE(Read(*polygon, record, position) && polygon->Points().GetCount() == 3 &&
                RecordOf(*polygon) == record);
    return polygon;
}

const Kind kKinds[] = {
    {"Line", 16, [] { return Made<OVectorPath_Line>(OVector(2.5, 3.25), OVector(40.75, -12.5)); },
     [] { return Made<OVectorPath_Line, 2>(OVector(0, 0), OVector(3, 4)); }},
    {"Circle", 40,
     [] { return Made<OVectorPath_Circle>(OVector(100.5, 80.25), 25.0, 30.0, -120.0); },
     [] { return Made<OVectorPath_Circle, 2>(OVector(5, 5), 3.0, 0.0, 90.0); }},
    {"CircleFloat", 40,
     [] { return Made<OVectorPath_Circle_Float>(OVector(100.5, 80.25), 25.f, 30.f, -120.f); },
     [] { return Made<OVectorPath_Circle_Float, 2>(OVector(5, 5), 3.0f, 0.0f, 90.0f); }},
    {"Polygon", 16, SamplePolygon, [] { return Made<PolygonProbe, 2>(); }},
};

class PathRecordTest : public testing::TestWithParam<Kind> {};

TEST_P(PathRecordTest, RoundTripRebuildsThePathAndKeepsUnknownTrailingBytes) {
    const auto sample = GetParam().makeSample();
    const Bytes plain = RecordOf(*sample);
    ASSERT_EQ(plain.size(), sample->GetObjectSize());
    OByteStream head(plain);
    std::uint32_t length = 0, id = 0;
    EXPECT_TRUE(head.ReadU32(length) && head.ReadU32(id));
    EXPECT_EQ(std::make_tuple(length, id),
              std::make_tuple(plain.size() - 4, sample->GetObjectID()));

    const auto target = GetParam().makeTarget();
    std::size_t position = 0;
    ASSERT_TRUE(Read(*target, plain, position));
    EXPECT_EQ(position, plain.size());
    EXPECT_EQ(StateOf(*target), StateOf(*sample));

    // Bytes behind the known fields become user data and are written back; the flag false
    // reads exactly as true. A record without them empties the user data again.
    const Bytes withTail = WithTail(plain, kTenBytes);
    ASSERT_TRUE(Read(*target, withTail, position, false));
    EXPECT_EQ(position, withTail.size());
    EXPECT_EQ(target->GetObjectSize(), withTail.size());
    EXPECT_EQ(RecordOf(*target), withTail);
    ASSERT_TRUE(Read(*target, plain, position));
    EXPECT_EQ(RecordOf(*target), plain);
}

// A record below the read threshold: the path keeps its fields and everything after the head
// becomes user data. At the threshold, with the fields behind it in the stream, they are read all
// the same; either way the stream goes to the record's end.
TEST_P(PathRecordTest, ReadThresholdDecidesWhetherTheFieldsAreRead) {
    const std::uint32_t threshold = GetParam().readThreshold;
    for (std::uint32_t length : {4u, threshold - 1}) {
        Bytes record(4 + length, 0x5A);
        PutU32(record, 0, length);
        PutU32(record, 4, GetParam().makeTarget()->GetObjectID());
        record.push_back(0x99);  // the next record's first byte
        const auto path = GetParam().makeTarget();
        const auto [known, count, walked] = StateOf(*path);
        std::size_t position = 0;
        ASSERT_TRUE(Read(*path, record, position)) << "length " << length;
        EXPECT_EQ(position, 4u + length) << "length " << length;
        // Rebuilt from its own values, iteration reset; everything after the head is user data.
        EXPECT_EQ(StateOf(*path),
                  std::make_tuple(WithTail(known, Bytes(length - 4, 0x5A)), count, -1))
            << "length " << length;
    }
    const auto sample = GetParam().makeSample();
    Bytes record = RecordOf(*sample);
    ASSERT_LT(4u + threshold, record.size());
    PutU32(record, 0, threshold);
    const auto target = GetParam().makeTarget();
    std::size_t position = 0;
    ASSERT_TRUE(Read(*target, record, position));
    EXPECT_EQ(position, 4u + threshold);
    EXPECT_EQ(StateOf(*target), StateOf(*sample));
}

// Records that must be refused: truncated at every byte, lying lengths (shorter than the head's
// own ID, near 2^32, one byte longer than the stream holds), a record whose fields would run past
// its end with nothing behind it, another ID, a member record with a lying length, and the
// records of the other kinds (a circle read as a float circle and back).
TEST_P(PathRecordTest, LyingTruncatedAndForeignRecordsChangeNothing) {
    const Bytes record = WithTail(RecordOf(*GetParam().makeSample()), kTenBytes);
    std::vector<std::pair<std::string, Bytes>> broken;
    for (std::size_t n = 0; n < record.size(); ++n) {
        broken.emplace_back("prefix of " + std::to_string(n) + " bytes", Slice(record, 0, n));
    }
    const auto oneTooLong = static_cast<std::uint32_t>(record.size() - 3);
    for (std::uint32_t length : {0u, 3u, 0x7FFFFFFFu, 0x80000004u, 0xFFFFFFFFu, oneTooLong}) {
        broken.emplace_back("length " + std::to_string(length), record);
        PutU32(broken.back().second, 0, length);
    }
    broken.emplace_back("fields past the end", Slice(record, 0, 4 + GetParam().readThreshold));
    PutU32(broken.back().second, 0, GetParam().readThreshold);
    broken.emplace_back("other object ID", record);
    PutU32(broken.back().second, 4, GetParam().makeTarget()->GetObjectID() + 1);
    broken.emplace_back("member record with a lying length", record);
    PutU32(broken.back().second, kHeadBytes, 0xFFFFFFFFu);
    for (const Kind& other : kKinds) {
        if (std::string(other.name) != GetParam().name) {
            broken.emplace_back(std::string("record of a ") + other.name,
                                RecordOf(*other.makeSample()));
        }
    }
    for (const auto& [what, bytes] : broken) {
        const auto target = GetParam().makeTarget();
        const auto before = StateOf(*target);
        std::size_t position = 99;
        EXPECT_FALSE(Read(*target, bytes, position)) << what;
        EXPECT_EQ(position, 0u) << what;
        EXPECT_EQ(StateOf(*target), before) << what;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, PathRecordTest, testing::ValuesIn(kKinds),
                         [](const testing::TestParamInfo<Kind>& info) {
                             return std::string(info.param.name);
                         });

TEST(PathRecordLayoutTest, LineStoresStartThenEndAndCirclesStoreRadians) {
    OVector start(2.5, 3.25), end(40.75, -12.5), center(100, 100);
    OVectorPath_Line line(start, end);
    Bytes lineRecord = WithTail(WithTail(Bytes(kHeadBytes), RecordOf(start)), RecordOf(end));
    PutU32(lineRecord, 4, line.GetObjectID());
    EXPECT_EQ(RecordOf(line), lineRecord);

    OVectorPath_Circle circle(center, 10.0, 30.0, -120.0);
    OVectorPath_Circle_Float circleFloat(center, 10.0f, 30.0f, -120.0f);
    // The same layout, told apart only by the object ID.
    for (const Bytes& record : {RecordOf(circle), RecordOf(circleFloat)}) {
        ASSERT_EQ(record.size(), kCircleNumbers + 3 * 8);
        EXPECT_EQ(Slice(record, kHeadBytes, kPointRecordBytes), RecordOf(center));
        OByteStream in(record);
        in.SetPosition(kCircleNumbers);
        double radius = 0.0, start = 0.0, stop = 0.0;
        ASSERT_TRUE(in.ReadDouble(radius) && in.ReadDouble(start) && in.ReadDouble(stop));
        EXPECT_EQ(radius, 10.0);
        EXPECT_NEAR(start, 30.0 * kDegree, kAngleTolerance);
        EXPECT_NEAR(stop, -90.0 * kDegree, kAngleTolerance);
    }
}

// A full circle is rebuilt with its flag. In float, 3 pi - pi turned back into degrees is
// 359.99997, not 360: the record of a float circle from 180 to 360 degrees neither sets the flag
// nor clears it.
TEST(CircleRecordTest, FullCircleFlagAfterARead) {
    OVectorPath_Circle full(OVector(100, 100), 10.0, 0.0, 360.0);
    FlagProbe<OVectorPath_Circle> circle;
    std::size_t position = 0;
    ASSERT_TRUE(Read(circle, RecordOf(full), position));
    EXPECT_TRUE(circle.FullCircle());
    EXPECT_EQ(circle.GetCount(), 63);
    OVectorPath_Circle_Float halfTurnStart(OVector(50, 50), 10.0f, 180.0f, 360.0f);
    for (bool flagBefore : {false, true}) {
        FlagProbe<OVectorPath_Circle_Float> circleFloat(OVector(0, 0), 1.0f, 0.0f,
                                                        flagBefore ? 360.0f : 90.0f);
        ASSERT_TRUE(Read(circleFloat, RecordOf(halfTurnStart), position));
        EXPECT_EQ(circleFloat.FullCircle(), flagBefore);
        EXPECT_EQ(circleFloat.GetCount(), halfTurnStart.GetCount());
    }
}

// Numbers no writer of a circle produces, taken as given by both precisions: no failure and no
// undefined conversion. A float circle narrows a double beyond the float range as rounding to
// nearest would, but without the overflow: to the largest float, and to infinity from halfway
// between it and 2^128 on.
TEST(CircleRecordTest, ExtremeNumbersAreTakenAsGiven) {
    constexpr double kMaxFloat = std::numeric_limits<float>::max();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<double, double> cases[] = {{1e300, kInfinity},
                                               {kMaxFloat + 0x1p103, kInfinity},
                                               {-kMaxFloat - 0x1p102, -kMaxFloat},
                                               {-kInfinity, -kInfinity},
                                               {nan, nan}};
    for (const auto& [x, narrowed] : cases) {
        OByteStream number;
        number.WriteDouble(x);
        for (std::size_t field = 0; field < 3; ++field) {
            for (const Kind& kind : {kKinds[1], kKinds[2]}) {
                Bytes record = RecordOf(*kind.makeSample());
                std::copy(number.GetBytes().begin(), number.GetBytes().end(),
                          record.begin() + kCircleNumbers + 8 * field);
                const auto circle = kind.makeTarget();
                std::size_t position = 0;
                ASSERT_TRUE(Read(*circle, record, position) && circle->GetCount() >= 0)
                    << kind.name << ": " << x << " in field " << field;
                if (field == 0) {  // the radius comes back as the path holds it
                    OByteStream back(RecordOf(*circle));
                    double radius = 0.0;
                    ASSERT_TRUE(back.SetPosition(kCircleNumbers) && back.ReadDouble(radius));
                    const double held = kind.name == kKinds[2].name ? narrowed : x;
                    EXPECT_TRUE(radius == held || (std::isnan(radius) && std::isnan(held)))
                        << kind.name << ": " << x << " held as " << radius;
                }
            }
        }
    }
}

}  // namespace

// Path records in byte streams: the layout of each kind, round trips that rebuild the path,
// unknown trailing bytes kept and written back, records below the read threshold or shorter than
// their fields, and reads of lying, truncated, foreign or random bytes that answer false without
// changing the path.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "PolygonProbe.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Angles stored in float, or written as radians and read back as degrees, pass through roundings.
constexpr double kAngleTolerance = 1e-6;

constexpr std::size_t kHeadBytes = 8;
constexpr std::size_t kPointRecordBytes = 24;
constexpr std::size_t kPointListHeadBytes = 12;  // head and count
constexpr double kPi = 3.141592653589793;

// What a test sees of a path's record state.
class RecordView {
  public:
    virtual ~RecordView() = default;
    virtual Bytes UserData() const = 0;
    virtual bool FullCircle() const = 0;
};

template <class Path>
class Probe final : public Path, public RecordView {
  public:
    using Path::Path;

    Bytes UserData() const override {
        const unsigned char* data = this->m_baUserData.GetData();
        return data ? Bytes(data, data + this->m_baUserData.GetCount()) : Bytes();
    }
    bool FullCircle() const override {
        if constexpr (std::is_base_of_v<OVectorPath_Circle, Path> ||
                      std::is_base_of_v<OVectorPath_Circle_Float, Path>) {
            return this->m_bFullCircle;
        } else {
            return false;
        }
    }
};

using LineProbe = Probe<OVectorPath_Line>;
using CircleProbe = Probe<OVectorPath_Circle>;
using CircleFloatProbe = Probe<OVectorPath_Circle_Float>;
using PolygonRecordProbe = Probe<PolygonProbe>;

const RecordView& View(const OVectorPath& path) {
    return dynamic_cast<const RecordView&>(path);
}

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

std::uint32_t GetU32(const Bytes& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    }
    return value;
}

double GetDouble(const Bytes& bytes, std::size_t at) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        bits |= static_cast<std::uint64_t>(bytes[at + i]) << (8 * i);
    }
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

template <class Object>
Bytes RecordOf(Object& object) {
    OByteStream out;
    object.AddObjectData(out);
    return out.GetBytes();
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t count) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

// A record with more bytes after its known fields, its length field grown to match.
Bytes WithTail(Bytes record, const Bytes& tail) {
    record.insert(record.end(), tail.begin(), tail.end());
    PutU32(record, 0, static_cast<std::uint32_t>(record.size() - 4));
    return record;
}

// A polygon record built by hand: the point list's own record behind the head.
Bytes PolygonRecord(std::initializer_list<OVector> points) {
    OVector_Array list;
    for (const OVector& p : points) {
        list.Add(std::make_shared<OVector>(p));
    }
    Bytes record(kHeadBytes);
    const Bytes listRecord = RecordOf(list);
    record.insert(record.end(), listRecord.begin(), listRecord.end());
    PutU32(record, 0, static_cast<std::uint32_t>(record.size() - 4));
    PutU32(record, 4, OVectorPath_Polygon::kObjectID);
    return record;
}

const Bytes kTenBytes = {0, 1, 2, 3, 0xFE, 0xFF, 7, 8, 9, 10};

// Everything a read may change, gathered so that "unchanged" is one comparison.
struct PathState {
    Bytes record;  // the path written again: known fields and user data
    int count = 0;
    int position = 0;
    bool hasStart = false;
    OVector start;
    bool hasEnd = false;
    OVector end;
    bool fullCircle = false;

    bool operator==(const PathState& o) const {
        return record == o.record && count == o.count && position == o.position &&
               hasStart == o.hasStart && start == o.start && hasEnd == o.hasEnd && end == o.end &&
               fullCircle == o.fullCircle;
    }
};

std::ostream& operator<<(std::ostream& os, const PathState& s) {
    return os << "{record " << s.record.size() << " bytes, count " << s.count << ", position "
              << s.position << ", start " << s.start.dX() << "," << s.start.dY() << ", end "
              << s.end.dX() << "," << s.end.dY() << ", full circle " << s.fullCircle << "}";
}

PathState StateOf(OVectorPath& path) {
    PathState s;
    s.record = RecordOf(path);
    s.count = path.GetCount();
    path.CurrentPos(s.position);
    s.hasStart = path.GetStartVector(s.start);
    s.hasEnd = path.GetEndVector(s.end);
    s.fullCircle = View(path).FullCircle();
    return s;
}

// Reads `bytes` into `path`; gives the answer and where the stream stopped.
bool Read(OVectorPath& path, const Bytes& bytes, std::size_t& position, bool flag = true) {
    OByteStream in(bytes);
    const bool answer = path.GetObjectData(in, flag);
    position = in.GetPosition();
    return answer;
}

struct Kind {
    const char* name;
    std::uint32_t objectId;
    std::uint32_t readThreshold;
    // A built path whose record is read in the tests.
    std::function<std::unique_ptr<OVectorPath>()> makeSample;
    // A path of the same class with other values, walked a few steps, to read into.
    std::function<std::unique_ptr<OVectorPath>()> makeTarget;
};

void PrintTo(const Kind& kind, std::ostream* os) {
    *os << kind.name;
}

template <class P, class... Args>
std::unique_ptr<OVectorPath> Walked(Args... args) {
    auto path = std::make_unique<P>(args...);
    path->MoveNext();
    path->MoveNext();
    return path;
}

std::unique_ptr<OVectorPath> SamplePolygon() {
    auto polygon = std::make_unique<PolygonRecordProbe>();
    OByteStream in(PolygonRecord({OVector(1, 2), OVector(30.5, -4.25), OVector(7, 70)}));
    polygon->GetObjectData(in, true);
    return polygon;
}

const Kind kKinds[] = {
    {"Line", OVectorPath_Line::kObjectID, 16,
     [] { return std::make_unique<LineProbe>(OVector(2.5, 3.25), OVector(40.75, -12.5)); },
     [] { return Walked<LineProbe>(OVector(0, 0), OVector(3, 4)); }},
    {"Circle", OVectorPath_Circle::kObjectID, 40,
     [] { return std::make_unique<CircleProbe>(OVector(100.5, 80.25), 25.0, 30.0, -120.0); },
     [] { return Walked<CircleProbe>(OVector(5, 5), 3.0, 0.0, 90.0); }},
    {"CircleFloat", OVectorPath_Circle_Float::kObjectID, 40,
     [] {
         return std::make_unique<CircleFloatProbe>(OVector(100.5, 80.25), 25.0f, 30.0f, -120.0f);
     },
     [] { return Walked<CircleFloatProbe>(OVector(5, 5), 3.0f, 0.0f, 90.0f); }},
    {"Polygon", OVectorPath_Polygon::kObjectID, 16, SamplePolygon,
     [] { return Walked<PolygonRecordProbe>(); }},
};

class PathRecordTest : public testing::TestWithParam<Kind> {};

TEST_P(PathRecordTest, RoundTripRebuildsThePathAndResetsIt) {
    const auto sample = GetParam().makeSample();
    const Bytes record = RecordOf(*sample);
    ASSERT_EQ(record.size(), sample->GetObjectSize());
    EXPECT_EQ(GetU32(record, 0), record.size() - 4);
    EXPECT_EQ(GetU32(record, 4), GetParam().objectId);
    EXPECT_EQ(sample->GetObjectID(), GetParam().objectId);

    const auto target = GetParam().makeTarget();
    std::size_t position = 0;
    ASSERT_TRUE(Read(*target, record, position));
    EXPECT_EQ(position, record.size());
    EXPECT_EQ(StateOf(*target), StateOf(*sample));
    EXPECT_TRUE(View(*target).UserData().empty());
}

TEST_P(PathRecordTest, UnknownTrailingBytesAreKeptAndWrittenBack) {
    const auto sample = GetParam().makeSample();
    const Bytes record = WithTail(RecordOf(*sample), kTenBytes);
    const auto target = GetParam().makeTarget();
    std::size_t position = 0;
    ASSERT_TRUE(Read(*target, record, position));
    EXPECT_EQ(position, record.size());
    EXPECT_EQ(View(*target).UserData(), kTenBytes);
    EXPECT_EQ(target->GetCount(), sample->GetCount());
    EXPECT_EQ(target->GetObjectSize(), record.size());
    EXPECT_EQ(RecordOf(*target), record);

    // A record without them empties the user data again.
    ASSERT_TRUE(Read(*target, RecordOf(*sample), position));
    EXPECT_TRUE(View(*target).UserData().empty());
}

TEST_P(PathRecordTest, RecordBelowTheThresholdKeepsTheFieldsAndBecomesUserData) {
    const std::uint32_t threshold = GetParam().readThreshold;
    for (std::uint32_t length : {4u, threshold - 1}) {
        Bytes record(4 + length, 0x5A);
        PutU32(record, 0, length);
        PutU32(record, 4, GetParam().objectId);
        const Bytes afterHead = Slice(record, kHeadBytes, length - 4);
        record.push_back(0x99);  // the next record's first byte

        const auto path = GetParam().makeSample();
        const PathState before = StateOf(*path);
        path->MoveNext();
        std::size_t position = 0;
        ASSERT_TRUE(Read(*path, record, position)) << "length " << length;
        EXPECT_EQ(position, 4u + length) << "length " << length;
        EXPECT_EQ(View(*path).UserData(), afterHead) << "length " << length;
        // Rebuilt from its own values: same geometry, iteration reset.
        PathState after = StateOf(*path);
        after.record = before.record;
        EXPECT_EQ(after, before) << "length " << length;
    }
}

TEST_P(PathRecordTest, FieldsRunningPastTheRecordAreReadAndTheStreamGoesToItsEnd) {
    const auto sample = GetParam().makeSample();
    Bytes record = RecordOf(*sample);
    const std::uint32_t length = GetParam().readThreshold;
    ASSERT_LT(4u + length, record.size());
    PutU32(record, 0, length);

    const auto target = GetParam().makeTarget();
    std::size_t position = 0;
    ASSERT_TRUE(Read(*target, record, position));
    EXPECT_EQ(position, 4u + length);
    EXPECT_EQ(StateOf(*target), StateOf(*sample));

    // Without the bytes behind the record the fields cannot be read at all.
    const auto other = GetParam().makeTarget();
    const PathState before = StateOf(*other);
    EXPECT_FALSE(Read(*other, Slice(record, 0, 4 + length), position));
    EXPECT_EQ(position, 0u);
    EXPECT_EQ(StateOf(*other), before);
}

// Records that must be refused: the path and the stream position stay as they were.
std::vector<std::pair<std::string, Bytes>> BrokenRecords(const Bytes& record) {
    std::vector<std::pair<std::string, Bytes>> broken;
    for (std::size_t n = 0; n < record.size(); ++n) {
        broken.emplace_back("prefix of " + std::to_string(n) + " bytes", Slice(record, 0, n));
    }
    // Shorter than the head's own ID, near 2^32, and one byte longer than the stream holds.
    const std::uint32_t oneTooLong = static_cast<std::uint32_t>(record.size() - 3);
    const std::uint32_t lengths[] = {0u,          3u,          0x7FFFFFFFu, 0x80000004u,
                                     0xFFFFFFF8u, 0xFFFFFFFFu, oneTooLong};
    for (std::uint32_t length : lengths) {
        Bytes lying = record;
        PutU32(lying, 0, length);
        broken.emplace_back("length " + std::to_string(length), lying);
    }
    Bytes otherId = record;
    PutU32(otherId, 4, GetU32(record, 4) + 1);
    broken.emplace_back("other object ID", otherId);
    Bytes lyingMember = record;
    PutU32(lyingMember, kHeadBytes, 0xFFFFFFFFu);  // the first member record's own length
    broken.emplace_back("member record with a lying length", lyingMember);
    for (const Kind& other : kKinds) {
        if (other.objectId != GetU32(record, 4)) {
            broken.emplace_back(std::string("record of a ") + other.name,
                                RecordOf(*other.makeSample()));
        }
    }
    return broken;
}

TEST_P(PathRecordTest, LyingTruncatedAndForeignRecordsChangeNothing) {
    const Bytes record = WithTail(RecordOf(*GetParam().makeSample()), kTenBytes);
    for (const auto& [what, bytes] : BrokenRecords(record)) {
        const auto target = GetParam().makeTarget();
        const PathState before = StateOf(*target);
        std::size_t position = 99;
        EXPECT_FALSE(Read(*target, bytes, position)) << what;
        EXPECT_EQ(position, 0u) << what;
        EXPECT_EQ(StateOf(*target), before) << what;
    }
}

TEST_P(PathRecordTest, FlagFalseReadsExactlyAsTrue) {
    const Bytes record = WithTail(RecordOf(*GetParam().makeSample()), kTenBytes);
    std::vector<std::pair<std::string, Bytes>> inputs = BrokenRecords(record);
    inputs.emplace_back("whole record", record);
    Bytes shortRecord = record;
    PutU32(shortRecord, 0, GetParam().readThreshold - 1);
    inputs.emplace_back("below the threshold", shortRecord);
    for (const auto& [what, bytes] : inputs) {
        const auto withTrue = GetParam().makeTarget();
        const auto withFalse = GetParam().makeTarget();
        std::size_t positionTrue = 0;
        std::size_t positionFalse = 0;
        EXPECT_EQ(Read(*withTrue, bytes, positionTrue, true),
                  Read(*withFalse, bytes, positionFalse, false))
            << what;
        EXPECT_EQ(positionTrue, positionFalse) << what;
        EXPECT_EQ(StateOf(*withTrue), StateOf(*withFalse)) << what;
    }
}

// Random buffers, random heads that name the class, and valid records with bytes overwritten.
TEST_P(PathRecordTest, RandomBytesNeverCrashAndFailuresChangeNothing) {
    constexpr int kRounds = 3000;
    constexpr std::size_t kMaxRandomBytes = 96;
    std::mt19937 random(20240611u);
    const Bytes record = WithTail(RecordOf(*GetParam().makeSample()), kTenBytes);
    const auto target = GetParam().makeTarget();
    int accepted = 0;
    for (int round = 0; round < kRounds; ++round) {
        Bytes bytes;
        switch (round % 3) {
            case 0:
                bytes.resize(random() % (kMaxRandomBytes + 1));
                for (unsigned char& b : bytes) {
                    b = static_cast<unsigned char>(random());
                }
                break;
            case 1:
                bytes.resize(kHeadBytes + random() % kMaxRandomBytes);
                for (unsigned char& b : bytes) {
                    b = static_cast<unsigned char>(random());
                }
                PutU32(bytes, 0, static_cast<std::uint32_t>(random() % (bytes.size() + 4)));
                PutU32(bytes, 4, GetParam().objectId);
                break;
            default:
                bytes = record;
                for (int k = 1 + static_cast<int>(random() % 4); k > 0; --k) {
                    bytes[random() % bytes.size()] = static_cast<unsigned char>(random());
                }
                break;
        }
        const PathState before = StateOf(*target);
        std::size_t position = 0;
        if (Read(*target, bytes, position)) {
            ++accepted;
            EXPECT_GE(position, kHeadBytes) << "round " << round;
            EXPECT_LE(position, bytes.size()) << "round " << round;
        } else {
            EXPECT_EQ(position, 0u) << "round " << round;
            EXPECT_EQ(StateOf(*target), before) << "round " << round;
        }
    }
    // The generator reaches both outcomes, so both branches above were exercised.
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, kRounds);
}

INSTANTIATE_TEST_SUITE_P(Kinds, PathRecordTest, testing::ValuesIn(kKinds),
                         [](const testing::TestParamInfo<Kind>& info) {
                             return std::string(info.param.name);
                         });

TEST(PathRecordLayoutTest, LineStoresItsTwoPointRecords) {
    const OVector start(2.5, 3.25);
    OVector end(40.75, -12.5);
    OVectorPath_Line line(start, end);
    const Bytes record = RecordOf(line);
    ASSERT_EQ(record.size(), kHeadBytes + 2 * kPointRecordBytes);
    OVector copy = start;
    EXPECT_EQ(Slice(record, kHeadBytes, kPointRecordBytes), RecordOf(copy));
    EXPECT_EQ(Slice(record, kHeadBytes + kPointRecordBytes, kPointRecordBytes), RecordOf(end));
}

TEST(PathRecordLayoutTest, CircleStoresCentreRadiusAndAnglesInRadians) {
    OVector center(100, 100);
    OVectorPath_Circle circle(center, 10.0, 30.0, -120.0);
    OVectorPath_Circle_Float circleFloat(center, 10.0f, 30.0f, -120.0f);
    const Bytes records[] = {RecordOf(circle), RecordOf(circleFloat)};
    for (const Bytes& record : records) {
        ASSERT_EQ(record.size(), kHeadBytes + kPointRecordBytes + 3 * 8);
        EXPECT_EQ(Slice(record, kHeadBytes, kPointRecordBytes), RecordOf(center));
        const std::size_t numbers = kHeadBytes + kPointRecordBytes;
        EXPECT_EQ(GetDouble(record, numbers), 10.0);
        EXPECT_NEAR(GetDouble(record, numbers + 8), 30.0 * kPi / 180.0, kAngleTolerance);
        EXPECT_NEAR(GetDouble(record, numbers + 16), -90.0 * kPi / 180.0, kAngleTolerance);
    }
    // The same layout, told apart only by the object ID.
    EXPECT_EQ(Slice(records[0], 8, 4 + kPointRecordBytes),
              Slice(records[1], 8, 4 + kPointRecordBytes));
    EXPECT_NE(GetU32(records[0], 4), GetU32(records[1], 4));
}

TEST(PathRecordLayoutTest, PolygonStoresItsPointList) {
    const Bytes record = PolygonRecord({OVector(1, 2), OVector(3, 4)});
    ASSERT_EQ(record.size(), kHeadBytes + kPointListHeadBytes + 2 * kPointRecordBytes);
    PolygonRecordProbe polygon;
    OByteStream in(record);
    ASSERT_TRUE(polygon.GetObjectData(in, true));
    ASSERT_EQ(polygon.Points().GetCount(), 2);
    EXPECT_EQ(*polygon.Points().GetAt(1), OVector(3, 4));
    EXPECT_EQ(polygon.GetObjectSize(), record.size());
    EXPECT_EQ(RecordOf(polygon), record);
}

TEST(CircleRecordTest, FullCircleIsRebuiltWithItsFlag) {
    CircleProbe stored(OVector(100, 100), 10.0, 0.0, 360.0);
    const Bytes record = RecordOf(stored);
    EXPECT_EQ(record.size(), stored.GetObjectSize());
    EXPECT_EQ(record.size(), kPointRecordBytes + 32);

    CircleProbe circle;
    std::size_t position = 0;
    ASSERT_TRUE(Read(circle, record, position));
    EXPECT_EQ(circle.GetCount(), 63);
    EXPECT_TRUE(circle.FullCircle());
    EXPECT_EQ(RecordOf(circle), record);  // same centre, radius and angles
    OVector start;
    OVector end;
    circle.GetStartVector(start);
    circle.MoveEnd(end);
    EXPECT_EQ(start, OVector(110, 100));
    EXPECT_EQ(end, start);
}

// In float, 3 pi - pi turned back into degrees is 359.99997, not 360: the flag is not set by the
// read, and not cleared either.
TEST(CircleRecordTest, FloatHalfTurnStartReadsBackJustShortOfAFullCircle) {
    CircleFloatProbe stored(OVector(50, 50), 10.0f, 180.0f, 360.0f);
    ASSERT_TRUE(stored.FullCircle());
    const Bytes record = RecordOf(stored);
    const std::size_t numbers = kHeadBytes + kPointRecordBytes;
    const float startRad = static_cast<float>(GetDouble(record, numbers + 8));
    const float endRad = static_cast<float>(GetDouble(record, numbers + 16));
    EXPECT_EQ((endRad - startRad) * 57.295776f, 359.99997f);

    for (bool flagBefore : {false, true}) {
        CircleFloatProbe circle(OVector(0, 0), 1.0f, 0.0f, flagBefore ? 360.0f : 90.0f);
        std::size_t position = 0;
        ASSERT_TRUE(Read(circle, record, position));
        EXPECT_EQ(circle.FullCircle(), flagBefore);
        EXPECT_EQ(circle.GetCount(), stored.GetCount());
    }
}

// Numbers no writer of a circle produces, taken as given by both precisions: no failure and no
// undefined conversion (a double beyond the float range narrows to the largest float or infinity).
TEST(CircleRecordTest, ExtremeNumbersAreTakenAsGiven) {
    const double extremes[] = {1e300,
                               -1e300,
                               3.5e38,
                               std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN(),
                               -0.0};
    OVectorPath_Circle stored(OVector(1, 1), 1.0, 0.0, 90.0);
    const Bytes record = RecordOf(stored);
    const std::size_t numbers = kHeadBytes + kPointRecordBytes;
    for (double x : extremes) {
        for (std::size_t field = 0; field < 3; ++field) {
            Bytes changed = record;
            std::uint64_t bits = 0;
            std::memcpy(&bits, &x, sizeof bits);
            for (int i = 0; i < 8; ++i) {
                changed[numbers + 8 * field + i] = static_cast<unsigned char>(bits >> (8 * i));
            }
            OVectorPath_Circle circle;
            std::size_t position = 0;
            EXPECT_TRUE(Read(circle, changed, position)) << x << " in field " << field;
            EXPECT_GE(circle.GetCount(), 0) << x << " in field " << field;

            PutU32(changed, 4, OVectorPath_Circle_Float::kObjectID);
            OVectorPath_Circle_Float circleFloat;
            EXPECT_TRUE(Read(circleFloat, changed, position)) << x << " in field " << field;
            EXPECT_GE(circleFloat.GetCount(), 0) << x << " in field " << field;
        }
    }
}

}  // namespace

// Fuzz target: GetObjectData of every path class on arbitrary bytes.
//
// The input is the byte stream itself. Each path kind (line, circle, float circle, a small
// polygon) reads records from it, one after the other, until a read answers false. Rules checked:
// - a failed read leaves the path (its written record) and the stream position as they were;
// - a successful read consumes at least a record head;
// - the path then writes a record of its GetObjectSize() bytes with a true length field and its
//   ID; that record reads back into a fresh path of the same kind, consuming all of it, with the
//   same stored fields and user data bytes; and writing the fresh path gives the same bytes again.
//   The circles turn their stored radians into degrees and back while rebuilding, which may move
//   an angle by a rounding (the float circle by float roundings): their angles are compared
//   within a few units in the last place, and their second record must equal the first except
//   for the angle bytes, which must hold the fresh path's own angles.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <type_traits>
#include <vector>

#include "FuzzInput.h"
#include "PolygonProbe.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "paths/OVectorPath_Polygon.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A stream holds a few records at most before the fuzzer's bytes run out; the bound only keeps
// a long input from turning into many cheap reads of the same kind.
constexpr int kMaxRecordsPerKind = 8;
// Units in the last place that an angle may move through its degree round trip (two roundings
// of a product, and one of the sum that rebuilds the end angle).
constexpr double kAngleUlps = 8.0;
constexpr std::size_t kLengthFieldBytes = 4;
constexpr std::size_t kHeadBytes = 8;

std::uint32_t GetU32(const Bytes& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    }
    return value;
}

Bytes Contents(const WritableCollection<unsigned char>& collection) {
    const unsigned char* data = collection.GetData();
    return data != nullptr ? Bytes(data, data + collection.GetCount()) : Bytes();
}

// Bitwise equality, so that a NaN equals the same NaN.
template <class Real>
bool SameBits(Real a, Real b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Whether an angle rebuilt through degrees is the stored one up to the roundings of that trip.
// Angles whose trip may leave the finite range (a start or a sweep in degrees that overflows) are
// not compared. An angle that is not finite must stay so, though not the same: the sweep of two
// equal infinite angles is infinity minus infinity, so the end angle comes back as NaN.
template <class Real>
bool AngleSurvived(Real stored, Real rebuilt, Real magnitude) {
    if (!std::isfinite(stored)) {
        return !std::isfinite(rebuilt);
    }
    constexpr Real kDegreesPerRadian = static_cast<Real>(57.29577951308232);
    // The sweep in degrees may reach twice the largest angle.
    if (!std::isfinite(2 * magnitude * kDegreesPerRadian)) {
        return true;
    }
    const Real tolerance =
        static_cast<Real>(kAngleUlps) * std::numeric_limits<Real>::epsilon() * magnitude +
        static_cast<Real>(kAngleUlps) * std::numeric_limits<Real>::denorm_min();
    return std::fabs(stored - rebuilt) <= tolerance;
}

class LineRecordProbe final : public OVectorPath_Line {
  public:
    bool HasSameRecordAs(const LineRecordProbe& other) const {
        return m_vStart == other.m_vStart && m_vEnd == other.m_vEnd &&
               m_iStepCount == other.m_iStepCount &&
               Contents(m_baUserData) == Contents(other.m_baUserData);
    }
    bool WritesAgain(const Bytes& first, const Bytes& second) const { return first == second; }
};

// Both circles: centre, radius and user data exact; angles up to their degree round trip.
template <class Base, class Real>
class CircleRecordProbe final : public Base {
  public:
    bool HasSameRecordAs(const CircleRecordProbe& other) const {
        const Real magnitude = std::fmax(std::fabs(StartAngle()), std::fabs(EndAngle()));
        return this->m_vCenter == other.m_vCenter && SameBits(Radius(), other.Radius()) &&
               Contents(this->m_baUserData) == Contents(other.m_baUserData) &&
               AngleSurvived(StartAngle(), other.StartAngle(), magnitude) &&
               AngleSurvived(EndAngle(), other.EndAngle(), magnitude);
    }

    // `second` is this path's record, `first` the record it was read from: equal except the
    // two angle doubles, which must be this path's angles.
    bool WritesAgain(const Bytes& first, const Bytes& second) const {
        const std::size_t angles = kHeadBytes + this->m_vCenter.GetObjectSize() + sizeof(double);
        const std::size_t afterAngles = angles + 2 * sizeof(double);
        if (first.size() != second.size() || second.size() < afterAngles ||
            !std::equal(first.begin(), first.begin() + angles, second.begin()) ||
            !std::equal(first.begin() + afterAngles, first.end(), second.begin() + afterAngles)) {
            return false;
        }
        double start = 0.0;
        double end = 0.0;
        std::memcpy(&start, &second[angles], sizeof start);
        std::memcpy(&end, &second[angles + sizeof(double)], sizeof end);
        return SameBits(start, static_cast<double>(StartAngle())) &&
               SameBits(end, static_cast<double>(EndAngle()));
    }

  private:
    Real Radius() const {
        if constexpr (std::is_same_v<Real, double>) {
            return this->m_dRadius;
        } else {
            return this->m_fRadius;
        }
    }
    Real StartAngle() const {
        if constexpr (std::is_same_v<Real, double>) {
            return this->m_dStartAngle_Rad;
        } else {
            return this->m_fStartAngle_Rad;
        }
    }
    Real EndAngle() const {
        if constexpr (std::is_same_v<Real, double>) {
            return this->m_dEndAngle_Rad;
        } else {
            return this->m_fEndAngle_Rad;
        }
    }
};

using CircleProbe = CircleRecordProbe<OVectorPath_Circle, double>;
using CircleFloatProbe = CircleRecordProbe<OVectorPath_Circle_Float, float>;

// The test suite's smallest concrete polygon, compared by its stored points and user data.
class PolygonRecordProbe final : public PolygonProbe {
  public:
    bool HasSameRecordAs(const PolygonRecordProbe& other) const {
        if (m_vaPoints.GetCount() != other.m_vaPoints.GetCount() ||
            Contents(m_baUserData) != Contents(other.m_baUserData)) {
            return false;
        }
        for (int i = 0; i < m_vaPoints.GetCount(); ++i) {
            const OVector* mine = m_vaPoints.GetPointerAt(i);
            const OVector* theirs = other.m_vaPoints.GetPointerAt(i);
            if (mine == nullptr || theirs == nullptr || *mine != *theirs) {
                return false;
            }
        }
        return true;
    }
    bool WritesAgain(const Bytes& first, const Bytes& second) const { return first == second; }
};

template <class Path>
Bytes RecordOf(Path& path) {
    OByteStream stream;
    path.AddObjectData(stream);
    return stream.GetBytes();
}

// The path just read writes a sound record, which reads back into the same path.
template <class Path>
void CheckRoundTrip(Path& path) {
    const Bytes record = RecordOf(path);
    FUZZ_REQUIRE(record.size() == path.GetObjectSize(), "record size differs from GetObjectSize");
    FUZZ_REQUIRE(record.size() >= kHeadBytes, "record shorter than its head");
    FUZZ_REQUIRE(GetU32(record, 0) == record.size() - kLengthFieldBytes, "length field lies");
    FUZZ_REQUIRE(GetU32(record, kLengthFieldBytes) == path.GetObjectID(), "wrong object ID");

    Path copy;
    OByteStream stream(record);
    FUZZ_REQUIRE(copy.GetObjectData(stream, true), "a written record does not read back");
    FUZZ_REQUIRE(stream.GetPosition() == record.size(), "read back did not consume the record");
    FUZZ_REQUIRE(path.HasSameRecordAs(copy), "read back gives other fields or user data");
    FUZZ_REQUIRE(copy.WritesAgain(record, RecordOf(copy)), "writing again gives other bytes");
}

template <class Path>
void ReadRecords(const Bytes& bytes) {
    OByteStream stream(bytes);
    Path path;
    for (int record = 0; record < kMaxRecordsPerKind; ++record) {
        const Bytes before = RecordOf(path);
        const std::size_t position = stream.GetPosition();
        // The flag must not matter; alternate it.
        if (!path.GetObjectData(stream, record % 2 == 0)) {
            FUZZ_REQUIRE(stream.GetPosition() == position, "a failed read moved the stream");
            FUZZ_REQUIRE(RecordOf(path) == before, "a failed read changed the path");
            return;
        }
        FUZZ_REQUIRE(stream.GetPosition() >= position + kHeadBytes, "a read consumed no record");
        CheckRoundTrip(path);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes bytes(data, data + size);
    ReadRecords<LineRecordProbe>(bytes);
    ReadRecords<CircleProbe>(bytes);
    ReadRecords<CircleFloatProbe>(bytes);
    ReadRecords<PolygonRecordProbe>(bytes);
    return 0;
}

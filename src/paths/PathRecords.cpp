// The byte-stream records of the line, circle and polygon paths.
//
// Every path record has the same frame: a 32-bit length (record size - 4), the 32-bit object ID,
// the known fields of the class, then the path's user data (m_baUserData) verbatim, without a
// count. Only the defining parameters are stored; reading rebuilds the rest through CreatePath.
// Bytes of a record beyond the fields a reader knows become user data and are written back the
// next time, so a record from a writer with more fields survives a round trip through this one.
//
// One frame (PathRecordFrame) serves all four classes; a class contributes only its known fields
// (a small struct that writes and reads them) and its rebuild.
//
// Reading validates before it trusts: the stream refuses a record whose length runs past the end
// of the bytes, the known fields are read into temporaries, and the path changes only once the
// whole record has been read. A read that fails leaves the path and the stream position as they
// were.

#include <cmath>
#include <cstdint>
#include <limits>

#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "paths/OVectorPath_Polygon.h"

namespace {

using UserData = WritableCollection<unsigned char>;

// Length and object ID in front of the known fields.
constexpr std::uint64_t kHeadBytes = 4 + 4;
// The length field counts the bytes after itself.
constexpr std::uint64_t kLengthFieldBytes = 4;
constexpr std::uint64_t kDoubleBytes = 8;

// Stored lengths below which a reader does not look for the known fields. They are part of the
// format and smaller than the fields themselves: a circle record of length 40 to 51 (the fields
// take 4 + 24 + 24 bytes after the length) still has its fields read, past the record's end.
constexpr std::uint32_t kLineReadThreshold = 16;
constexpr std::uint32_t kCircleReadThreshold = 40;
constexpr std::uint32_t kPolygonReadThreshold = 16;

// The stored radians of a circle turned back into degrees, in the precision of the class. The
// float factor is the float nearest to 180 / pi (bits 0x42652EE0), written with all its digits so
// that it is exact.
template <class Real>
struct RadianToDegree;

template <>
struct RadianToDegree<double> {
    static constexpr double kFactor = 57.29577951308232;
};

template <>
struct RadianToDegree<float> {
    static constexpr float kFactor = 57.2957763671875f;
};

// A stored double in the precision of a circle class. Narrowing to float rounds to nearest as the
// hardware does; a double beyond the float range, which a record may hold and whose conversion the
// language leaves undefined, becomes what that rounding gives: the largest float or infinity.
template <class Real>
Real FromStoredDouble(double value);

template <>
double FromStoredDouble<double>(double value) {
    return value;
}

template <>
float FromStoredDouble<float>(double value) {
    constexpr double kMaxFloat = std::numeric_limits<float>::max();
    // Halfway between the largest float and 2^128: from here on, round to nearest gives infinity.
    constexpr double kOverflow = kMaxFloat + 0x1p103;
    const double magnitude = std::fabs(value);
    if (std::isnan(value) || magnitude <= kMaxFloat) {
        return static_cast<float>(value);
    }
    const float saturated = magnitude >= kOverflow ? std::numeric_limits<float>::infinity()
                                                   : std::numeric_limits<float>::max();
    return std::signbit(value) ? -saturated : saturated;
}

// The frame shared by every path record: head, known fields, user data.
//
// Fields is a class's known fields: Write(stream) appends them, Read(stream) replaces them with
// the next ones in the stream and answers false when a field cannot be read.
class PathRecordFrame {
  public:
    constexpr PathRecordFrame(std::uint32_t objectId, std::uint32_t readThreshold)
        : m_objectId(objectId), m_readThreshold(readThreshold) {}

    std::uint64_t Size(std::uint64_t knownFieldBytes, const UserData& userData) const {
        return kHeadBytes + knownFieldBytes + static_cast<std::uint64_t>(userData.GetCount());
    }

    // Appends the record of `totalBytes` (the path's GetObjectSize()); always true. Records
    // beyond 4 GiB lie outside the format: their length field wraps around.
    template <class Fields>
    bool Write(OByteStream& stream, std::uint64_t totalBytes, Fields& fields,
               UserData& userData) const {
        stream.Reserve(static_cast<std::size_t>(totalBytes));
        stream.WriteU32(static_cast<std::uint32_t>(totalBytes - kLengthFieldBytes));
        stream.WriteU32(m_objectId);
        fields.Write(stream);
        stream.WriteBytes(userData);
        stream.FinishRecord();
        return true;
    }

    // Reads one record. `fields` holds the path's current values: they stay when the record is
    // below the read threshold, so that the path is rebuilt from them. `rebuild(fields)` applies
    // the fields to the path; it runs, and the user data is replaced, only when the whole read
    // succeeded.
    template <class Fields, class Rebuild>
    bool Read(OByteStream& stream, Fields fields, UserData& userData, Rebuild rebuild) const {
        const std::size_t start = stream.GetPosition();
        std::uint32_t length = 0;
        std::size_t end = 0;
        if (!stream.OpenRecord(m_objectId, length, end)) {
            return false;
        }
        const bool fieldsRead = length < m_readThreshold || fields.Read(stream);
        const std::size_t position = stream.GetPosition();
        stream.FinishRecord();

        bool answer = fieldsRead;
        UserData tail;
        if (answer && end > position) {
            // Cannot fail: the stream accepted the record, so its end lies inside the bytes.
            answer = stream.ReadBytes(end - position, tail);
        } else if (answer && end < position) {
            // The known fields ran past the record (a length between the threshold and the size
            // of the fields): continue after the record, answering what the stream answers.
            answer = stream.SetPosition(end);
        }
        if (!answer) {
            stream.SetPosition(start);
            return false;
        }
        rebuild(fields);
        userData = tail;
        return true;
    }

  private:
    std::uint32_t m_objectId;
    std::uint32_t m_readThreshold;
};

constexpr PathRecordFrame kLineRecord(OVectorPath_Line::kObjectID, kLineReadThreshold);
constexpr PathRecordFrame kCircleRecord(OVectorPath_Circle::kObjectID, kCircleReadThreshold);
constexpr PathRecordFrame kCircleFloatRecord(OVectorPath_Circle_Float::kObjectID,
                                             kCircleReadThreshold);
constexpr PathRecordFrame kPolygonRecord(OVectorPath_Polygon::kObjectID, kPolygonReadThreshold);

// Known fields of a line: the records of its start and end points.
struct LineFields {
    OVector start;
    OVector end;

    void Write(OByteStream& stream) {
        start.AddObjectData(stream);
        end.AddObjectData(stream);
    }
    bool Read(OByteStream& stream) {
        return start.GetObjectData(stream, true) && end.GetObjectData(stream, true);
    }
};

// Known fields of a circle of either precision: the record of its centre, then radius, start
// angle and end angle (radians) as doubles; the float circle widens them on writing and narrows
// them on reading.
template <class Real>
struct CircleFields {
    static constexpr std::uint64_t kNumberCount = 3;

    OVector center;
    Real radius;
    Real startAngleRad;
    Real endAngleRad;

    static std::uint64_t Bytes(const OVector& center) {
        return center.GetObjectSize() + kNumberCount * kDoubleBytes;
    }

    void Write(OByteStream& stream) {
        center.AddObjectData(stream);
        stream.WriteDouble(static_cast<double>(radius));
        stream.WriteDouble(static_cast<double>(startAngleRad));
        stream.WriteDouble(static_cast<double>(endAngleRad));
    }
    bool Read(OByteStream& stream) {
        double numbers[kNumberCount] = {};
        if (!center.GetObjectData(stream, true)) {
            return false;
        }
        for (double& number : numbers) {
            if (!stream.ReadDouble(number)) {
                return false;
            }
        }
        radius = FromStoredDouble<Real>(numbers[0]);
        startAngleRad = FromStoredDouble<Real>(numbers[1]);
        endAngleRad = FromStoredDouble<Real>(numbers[2]);
        return true;
    }

    // The arc for CreatePath, in the precision of the class: start and sweep in degrees.
    Real StartDegrees() const { return startAngleRad * RadianToDegree<Real>::kFactor; }
    Real SweepDegrees() const {
        return (endAngleRad - startAngleRad) * RadianToDegree<Real>::kFactor;
    }
};

// Known field of a polygon: the record of its point list. Bound to a list by reference (the
// path's own for writing, a copy of it for reading), so that writing copies nothing.
struct PolygonFields {
    OVector_Array& points;

    void Write(OByteStream& stream) { points.AddObjectData(stream); }
    bool Read(OByteStream& stream) { return points.GetObjectData(stream, true); }
};

}  // namespace

// --- line ---

unsigned int OVectorPath_Line::GetObjectID() const {
    return kObjectID;
}

std::uint64_t OVectorPath_Line::GetObjectSize() const {
    return kLineRecord.Size(m_vStart.GetObjectSize() + m_vEnd.GetObjectSize(), m_baUserData);
}

bool OVectorPath_Line::AddObjectData(OByteStream& stream) {
    LineFields fields{m_vStart, m_vEnd};
    return kLineRecord.Write(stream, GetObjectSize(), fields, m_baUserData);
}

bool OVectorPath_Line::GetObjectData(OByteStream& stream, bool /*bFlag*/) {
    return kLineRecord.Read(stream, LineFields{m_vStart, m_vEnd}, m_baUserData,
                            [this](const LineFields& f) { CreatePath(f.start, f.end); });
}

// --- circle, double precision ---

unsigned int OVectorPath_Circle::GetObjectID() const {
    return kObjectID;
}

std::uint64_t OVectorPath_Circle::GetObjectSize() const {
    return kCircleRecord.Size(CircleFields<double>::Bytes(m_vCenter), m_baUserData);
}

bool OVectorPath_Circle::AddObjectData(OByteStream& stream) {
    CircleFields<double> fields{m_vCenter, m_dRadius, m_dStartAngle_Rad, m_dEndAngle_Rad};
    return kCircleRecord.Write(stream, GetObjectSize(), fields, m_baUserData);
}

bool OVectorPath_Circle::GetObjectData(OByteStream& stream, bool /*bFlag*/) {
    return kCircleRecord.Read(
        stream, CircleFields<double>{m_vCenter, m_dRadius, m_dStartAngle_Rad, m_dEndAngle_Rad},
        m_baUserData, [this](const CircleFields<double>& f) {
            CreatePath(f.center, f.radius, f.StartDegrees(), f.SweepDegrees());
        });
}

// --- circle, single precision ---

unsigned int OVectorPath_Circle_Float::GetObjectID() const {
    return kObjectID;
}

std::uint64_t OVectorPath_Circle_Float::GetObjectSize() const {
    return kCircleFloatRecord.Size(CircleFields<float>::Bytes(m_vCenter), m_baUserData);
}

bool OVectorPath_Circle_Float::AddObjectData(OByteStream& stream) {
    CircleFields<float> fields{m_vCenter, m_fRadius, m_fStartAngle_Rad, m_fEndAngle_Rad};
    return kCircleFloatRecord.Write(stream, GetObjectSize(), fields, m_baUserData);
}

bool OVectorPath_Circle_Float::GetObjectData(OByteStream& stream, bool /*bFlag*/) {
    return kCircleFloatRecord.Read(
        stream, CircleFields<float>{m_vCenter, m_fRadius, m_fStartAngle_Rad, m_fEndAngle_Rad},
        m_baUserData, [this](const CircleFields<float>& f) {
            CreatePath(f.center, f.radius, f.StartDegrees(), f.SweepDegrees());
        });
}

// --- polygon ---

unsigned int OVectorPath_Polygon::GetObjectID() const {
    return kObjectID;
}

std::uint64_t OVectorPath_Polygon::GetObjectSize() const {
    return kPolygonRecord.Size(m_vaPoints.GetObjectSize(), m_baUserData);
}

bool OVectorPath_Polygon::AddObjectData(OByteStream& stream) {
    PolygonFields fields{m_vaPoints};
    return kPolygonRecord.Write(stream, GetObjectSize(), fields, m_baUserData);
}

bool OVectorPath_Polygon::GetObjectData(OByteStream& stream, bool /*bFlag*/) {
    // The points are only kept: the polygon has no geometry to rebuild from them.
    OVector_Array points = m_vaPoints;
    return kPolygonRecord.Read(stream, PolygonFields{points}, m_baUserData,
                               [this](const PolygonFields& f) { m_vaPoints = f.points; });
}

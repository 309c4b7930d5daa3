// Fuzz target: GetObjectData of every path class on arbitrary bytes.
//
// The input is the byte stream itself. Each path kind (line, circle, float circle, a small
// polygon) reads records from it, one after the other, until a read answers false. Rules:
// - a failed read leaves the path (its written record) and the stream position as they were;
// - a successful read consumes at least a record head, and the path then writes a record of its
//   GetObjectSize() bytes with a true length field and its ID;
// - that record reads back into a fresh path, consuming all of it, and the fresh path writes the
//   same bytes again. The circles turn their stored radians into degrees and back while
//   rebuilding, so their two angles may move by a few units in the last place of their precision;
//   an angle that is not finite must stay so (the sweep of two infinite angles comes back NaN).

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>

#include "FuzzInput.h"
#include "PolygonProbe.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Only keeps a long input from turning into many cheap reads of the same kind.
constexpr int kMaxRecordsPerKind = 8;
constexpr std::size_t kLengthFieldBytes = 4;
constexpr std::size_t kHeadBytes = 8;
// Two roundings of a product and one of the sum that rebuilds the end angle.
constexpr double kAngleUlps = 8.0;
constexpr double kDegreesPerRadian = 57.29577951308232;

template <class T>
T At(const Bytes& bytes, std::size_t at) {
    T value;
    std::memcpy(&value, &bytes[at], sizeof value);
    return value;
}

template <class Path>
Bytes RecordOf(Path& path) {
    OByteStream stream;
    path.AddObjectData(stream);
    return stream.GetBytes();
}

// Whether `second`, written by a path read from `first`, agrees with it. Real is the circle's
// precision (void for paths without angles). A circle record holds its head, the centre's record,
// then radius, start and end angle as doubles.
template <class Real>
bool Agree(const Bytes& first, const Bytes& second) {
    if constexpr (std::is_void_v<Real>) {
        return first == second;
    } else {
        const std::size_t angles = kHeadBytes + OVector().GetObjectSize() + sizeof(double);
        const std::size_t afterAngles = angles + 2 * sizeof(double);
        Bytes patched = first;  // with the angles of `second`, to compare the rest
        if (first.size() != second.size() || first.size() < afterAngles) {
            return false;
        }
        std::copy(second.begin() + angles, second.begin() + afterAngles, patched.begin() + angles);
        const auto magnitude = static_cast<Real>(std::fmax(
            std::fabs(At<double>(first, angles)), std::fabs(At<double>(first, angles + 8))));
        // Angles whose sweep in degrees leaves the finite range are not compared.
        const bool comparable = std::isfinite(2 * magnitude * static_cast<Real>(kDegreesPerRadian));
        const double tolerance = kAngleUlps * (std::numeric_limits<Real>::epsilon() * magnitude +
                                               std::numeric_limits<Real>::denorm_min());
        bool agree = patched == second;
        for (std::size_t at = angles; at < afterAngles; at += sizeof(double)) {
            const double stored = At<double>(first, at);
            const double rebuilt = At<double>(second, at);
            agree &= std::isfinite(stored) ? !comparable || std::fabs(stored - rebuilt) <= tolerance
                                           : !std::isfinite(rebuilt);
        }
        return agree;
    }
}

template <class Path, class Real = void>
void ReadRecords(const Bytes& bytes) {
    OByteStream stream(bytes);
    Path path;
    for (int k = 0; k < kMaxRecordsPerKind; ++k) {
        const Bytes before = RecordOf(path);
        const std::size_t position = stream.GetPosition();
        // The flag must not matter; alternate it.
        if (!path.GetObjectData(stream, k % 2 == 0)) {
            FuzzRequire(stream.GetPosition() == position && RecordOf(path) == before,
                        "a failed read moved the stream or changed the path");
            return;
        }
        FuzzRequire(stream.GetPosition() >= position + kHeadBytes, "a read consumed no record");
        const Bytes record = RecordOf(path);
        FuzzRequire(record.size() == path.GetObjectSize() && record.size() >= kHeadBytes &&
                        At<std::uint32_t>(record, 0) == record.size() - kLengthFieldBytes &&
                        At<std::uint32_t>(record, kLengthFieldBytes) == path.GetObjectID(),
                    "a record of another size than GetObjectSize, a lying length or wrong ID");
        Path copy;
        OByteStream written(record);
        FuzzRequire(copy.GetObjectData(written, true) && written.GetPosition() == record.size(),
                    "a written record does not read back whole");
        FuzzRequire(Agree<Real>(record, RecordOf(copy)), "read back and written again differs");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes bytes(data, data + size);
    ReadRecords<OVectorPath_Line>(bytes);
    ReadRecords<OVectorPath_Circle, double>(bytes);
    ReadRecords<OVectorPath_Circle_Float, float>(bytes);
    ReadRecords<PolygonProbe>(bytes);
    return 0;
}

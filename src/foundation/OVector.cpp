#include "foundation/OVector.h"

#include <cmath>

#include "foundation/OByteStream.h"

namespace {
// Record: 32-bit length, 32-bit object ID, raw x, raw y.
constexpr std::size_t kRecordSize = 4 + 4 + 8 + 8;
constexpr std::uint32_t kBodyLength = static_cast<std::uint32_t>(kRecordSize - 4);
}  // namespace

OVector::OVector(double angleRad) : OVector(std::cos(angleRad), std::sin(angleRad)) {}

std::size_t OVector::GetObjectSize() const {
    return kRecordSize;
}

bool OVector::AddObjectData(OByteStream& stream) {
    stream.Reserve(kRecordSize);
    stream.WriteU32(kBodyLength);
    stream.WriteU32(GetObjectID());
    stream.WriteI64(m_iX);
    stream.WriteI64(m_iY);
    stream.FinishRecord();
    return true;
}

bool OVector::GetObjectData(OByteStream& stream, bool /*bFlag*/) {
    const std::size_t start = stream.GetPosition();
    std::uint32_t length = 0;
    std::size_t end = 0;
    if (!stream.OpenRecord(GetObjectID(), length, end)) {
        return false;
    }
    std::int64_t x = 0;
    std::int64_t y = 0;
    const bool ok = length >= kBodyLength && stream.ReadI64(x) && stream.ReadI64(y);
    stream.FinishRecord();
    if (!ok) {
        stream.SetPosition(start);
        return false;
    }
    m_iX = x;
    m_iY = y;
    // Bytes of a longer record that this reader does not know are skipped.
    return stream.SetPosition(end);
}

double OVector::dAngleRad() const {
    return std::atan2(static_cast<double>(m_iY), static_cast<double>(m_iX));
}

OVector& OVector::Normalize() {
    const double x = static_cast<double>(m_iX);
    const double y = static_cast<double>(m_iY);
    const double length = std::sqrt(x * x + y * y);
    if (length == 0.0) {
        return *this;
    }
    m_iX = fixedpoint::RawFromDouble(x * fixedpoint::kRawPerPixel / length);
    m_iY = fixedpoint::RawFromDouble(y * fixedpoint::kRawPerPixel / length);
    return *this;
}

#include "foundation/OByteStream.h"

#include <cstring>

namespace {
constexpr int kU32Bytes = 4;
constexpr int kU64Bytes = 8;
constexpr int kBitsPerByte = 8;
constexpr std::size_t kRecordHeadBytes = 8;  // length and object ID
constexpr std::size_t kLengthFieldBytes = 4;
constexpr std::size_t kObjectIdBytes = 4;
}  // namespace

OByteStream::OByteStream(std::vector<unsigned char> bytes) : m_vBytes(std::move(bytes)) {}

bool OByteStream::SetPosition(std::size_t position) {
    if (position > m_vBytes.size()) {
        return false;
    }
    m_nPosition = position;
    return true;
}

void OByteStream::Reserve(std::size_t totalLength) {
    m_vBytes.reserve(m_nPosition + totalLength);
    m_vOpenRecords.emplace_back(m_nPosition, totalLength);
}

void OByteStream::WriteLittleEndian(std::uint64_t value, int byteCount) {
    const std::size_t needed = m_nPosition + static_cast<std::size_t>(byteCount);
    if (m_vBytes.size() < needed) {
        m_vBytes.resize(needed);
    }
    for (int i = 0; i < byteCount; ++i) {
        m_vBytes[m_nPosition++] = static_cast<unsigned char>(value >> (kBitsPerByte * i));
    }
}

bool OByteStream::ReadLittleEndian(std::uint64_t& value, int byteCount) {
    if (GetRemaining() < static_cast<std::size_t>(byteCount)) {
        return false;
    }
    std::uint64_t result = 0;
    for (int i = 0; i < byteCount; ++i) {
        result |= static_cast<std::uint64_t>(m_vBytes[m_nPosition + i]) << (kBitsPerByte * i);
    }
    m_nPosition += static_cast<std::size_t>(byteCount);
    value = result;
    return true;
}

void OByteStream::WriteU32(std::uint32_t value) {
    WriteLittleEndian(value, kU32Bytes);
}

void OByteStream::WriteI64(std::int64_t value) {
    WriteLittleEndian(static_cast<std::uint64_t>(value), kU64Bytes);
}

void OByteStream::WriteDouble(double value) {
    std::uint64_t bits = 0;
    static_assert(sizeof(bits) == sizeof(value), "doubles are 64-bit");
    std::memcpy(&bits, &value, sizeof(bits));
    WriteLittleEndian(bits, kU64Bytes);
}

void OByteStream::WriteBytes(WritableCollection<unsigned char>& bytes) {
    const unsigned char* data = bytes.GetData();
    const std::size_t count = static_cast<std::size_t>(bytes.GetCount());
    if (data == nullptr || count == 0) {
        return;
    }
    const std::size_t needed = m_nPosition + count;
    if (m_vBytes.size() < needed) {
        m_vBytes.resize(needed);
    }
    std::memcpy(m_vBytes.data() + m_nPosition, data, count);
    m_nPosition = needed;
}

bool OByteStream::FinishRecord() {
    if (m_vOpenRecords.empty()) {
        return false;
    }
    const auto [start, total] = m_vOpenRecords.back();
    m_vOpenRecords.pop_back();
    return m_nPosition >= start && m_nPosition - start == total;
}

bool OByteStream::OpenRecord(std::uint32_t expectedId, std::uint32_t& length,
                             std::size_t& endPosition) {
    if (GetRemaining() < kRecordHeadBytes) {
        return false;
    }
    const std::size_t start = m_nPosition;
    std::uint32_t storedLength = 0;
    std::uint32_t id = 0;
    ReadU32(storedLength);
    ReadU32(id);
    // The announced record must lie inside the stream: a length that claims more bytes than
    // remain is a truncated record, one that does not even cover the object ID a lying one (its
    // end would lie inside its own head, and a reader that skips to it would go backwards).
    const std::size_t available = m_vBytes.size() - start - kLengthFieldBytes;
    if (id != expectedId || storedLength > available || storedLength < kObjectIdBytes) {
        m_nPosition = start;
        return false;
    }
    length = storedLength;
    endPosition = start + kLengthFieldBytes + storedLength;
    m_vOpenRecords.emplace_back(start, kLengthFieldBytes + storedLength);
    return true;
}

bool OByteStream::ReadU32(std::uint32_t& value) {
    std::uint64_t raw = 0;
    if (!ReadLittleEndian(raw, kU32Bytes)) {
        return false;
    }
    value = static_cast<std::uint32_t>(raw);
    return true;
}

bool OByteStream::ReadI64(std::int64_t& value) {
    std::uint64_t raw = 0;
    if (!ReadLittleEndian(raw, kU64Bytes)) {
        return false;
    }
    value = static_cast<std::int64_t>(raw);
    return true;
}

bool OByteStream::ReadDouble(double& value) {
    std::uint64_t raw = 0;
    if (!ReadLittleEndian(raw, kU64Bytes)) {
        return false;
    }
    std::memcpy(&value, &raw, sizeof(value));
    return true;
}

bool OByteStream::ReadBytes(std::size_t count, WritableCollection<unsigned char>& bytes) {
    if (GetRemaining() < count) {
        return false;
    }
    bytes.RemoveAll();
    if (count > 0) {
        bytes.Assign(m_vBytes.data() + m_nPosition, static_cast<std::int64_t>(count));
    }
    m_nPosition += count;
    return true;
}

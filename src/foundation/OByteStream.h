#pragma once
// OByteStream: a positioned byte stream of size-prefixed records, little-endian.
//
// Every record starts with a 32-bit length (the record's total size minus 4) and a 32-bit object
// ID. 32-bit values are unsigned, doubles IEEE 754 binary64, 64-bit integers two's complement.
//
// Reading is safe against any bytes: every read checks what remains before it takes anything, so
// a short, truncated or lying record makes the read answer false and never reads past the end.
// A failed read leaves the position where it was.
//
//   OByteStream out;
//   path.AddObjectData(out);
//   OByteStream in(out.GetBytes());
//   copy.GetObjectData(in, true);

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "EdgeDetectionExport.h"
#include "foundation/WritableCollection.h"

class EDGEDETECTION_EXPORT OByteStream {
  public:
    OByteStream() = default;
    // A stream for reading the given bytes from position 0.
    explicit OByteStream(std::vector<unsigned char> bytes);

    const std::vector<unsigned char>& GetBytes() const { return m_vBytes; }
    std::size_t GetPosition() const { return m_nPosition; }
    // False, position unchanged, past the end (the end itself is a valid position).
    bool SetPosition(std::size_t position);
    std::size_t GetRemaining() const { return m_vBytes.size() - m_nPosition; }

    // Writing: a record is reserved with its total length, written field by field and finished.
    // Writes overwrite from the current position and extend the stream as needed.
    void Reserve(std::size_t totalLength);
    void WriteU32(std::uint32_t value);
    void WriteI64(std::int64_t value);
    void WriteDouble(double value);
    // The collection's contents, without a count in front.
    void WriteBytes(WritableCollection<unsigned char>& bytes);
    // Closes the record opened last by Reserve or OpenRecord. Answers whether exactly the announced
    // number of bytes lies between the record's start and the current position; false when no
    // record is open.
    bool FinishRecord();

    // Reading. OpenRecord reads a record head at the current position: false (position unchanged)
    // when fewer than 8 bytes remain, the ID differs, the announced length runs past the end of
    // the stream or is below 4 (too short to hold the ID it counts). Otherwise it gives the stored
    // length and the position just after the record.
    bool OpenRecord(std::uint32_t expectedId, std::uint32_t& length, std::size_t& endPosition);
    bool ReadU32(std::uint32_t& value);
    bool ReadI64(std::int64_t& value);
    bool ReadDouble(double& value);
    // Replaces the collection's contents by the next `count` bytes; false (nothing read or changed)
    // when fewer remain.
    bool ReadBytes(std::size_t count, WritableCollection<unsigned char>& bytes);

  private:
    void WriteLittleEndian(std::uint64_t value, int byteCount);
    bool ReadLittleEndian(std::uint64_t& value, int byteCount);

    std::vector<unsigned char> m_vBytes;
    std::size_t m_nPosition = 0;
    // Open records: start position and announced total length.
    std::vector<std::pair<std::size_t, std::size_t>> m_vOpenRecords;
};

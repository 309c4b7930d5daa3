#pragma once
// OVector_Array: an ordered list of shared points.
//
// The list shares ownership of its points (std::shared_ptr<OVector>). The library appends new
// points, or keeps some of the caller's and drops the rest; the only caller's point it ever changes
// is one that the line regression moves from just left of the image (above -1 pixel) onto
// coordinate 0. Its record in a byte stream is the
// record head, a 32-bit count and then one OVector record per element.

#include <cstddef>
#include <memory>
#include <vector>

#include "EdgeDetectionExport.h"
#include "foundation/OVector.h"

class OByteStream;

class EDGEDETECTION_EXPORT OVector_Array {
  public:
    // Object ID of an OVector_Array record in a byte stream.
    static constexpr unsigned int kObjectID = 0xC4A01002u;

    OVector_Array() = default;
    virtual ~OVector_Array() = default;

    virtual unsigned int GetObjectID() const { return kObjectID; }
    virtual std::size_t GetObjectSize() const;
    virtual bool AddObjectData(OByteStream& stream);
    // Reads one record; on any failure the list keeps its elements and the answer is false.
    virtual bool GetObjectData(OByteStream& stream, bool bFlag);

    void RemoveAll() { m_vElements.clear(); }
    // Removes the elements at the given indices, which rise strictly (an index out of range or not
    // above the one before is skipped). The others keep their order and move without
    // reference-count traffic.
    void RemoveAt(const std::vector<int>& indices);
    void Add(std::shared_ptr<OVector> element) { m_vElements.push_back(std::move(element)); }
    int GetCount() const { return static_cast<int>(m_vElements.size()); }
    // The element at an index; an empty pointer out of range.
    std::shared_ptr<OVector> GetAt(int index) const;
    // The point at an index without sharing it (no reference-count traffic); null out of range or
    // for an empty slot. Valid while the element stays in the list.
    OVector* GetPointerAt(int index) const {
        return (index >= 0 && static_cast<std::size_t>(index) < m_vElements.size())
                   ? m_vElements[static_cast<std::size_t>(index)].get()
                   : nullptr;
    }

  private:
    std::vector<std::shared_ptr<OVector>> m_vElements;
};

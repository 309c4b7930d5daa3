#include "foundation/OVector_Array.h"

#include <cstdint>
#include <utility>

#include "foundation/OByteStream.h"

namespace {
constexpr std::size_t kHeadBytes = 4 + 4;  // length and object ID
constexpr std::size_t kCountBytes = 4;
constexpr std::size_t kLengthFieldBytes = 4;
}  // namespace

std::shared_ptr<OVector> OVector_Array::GetAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_vElements.size()) {
        return nullptr;
    }
    return m_vElements[static_cast<std::size_t>(index)];
}

void OVector_Array::RemoveAt(const std::vector<int>& indices) {
    const std::size_t count = m_vElements.size();
    std::size_t next = 0;  // the next index to remove
    while (next < indices.size() && indices[next] < 0) {
        ++next;
    }
    if (next == indices.size() || static_cast<std::size_t>(indices[next]) >= count) {
        return;
    }
    // The elements before the first one removed stay where they are.
    std::size_t kept = static_cast<std::size_t>(indices[next]);
    for (std::size_t k = kept; k < count; ++k) {
        while (next < indices.size() && indices[next] < static_cast<std::int64_t>(k)) {
            ++next;  // below k: out of range or out of order
        }
        if (next < indices.size() && indices[next] == static_cast<std::int64_t>(k)) {
            ++next;
            continue;
        }
        if (kept != k) {
            m_vElements[kept] = std::move(m_vElements[k]);
        }
        ++kept;
    }
    m_vElements.resize(kept);
}

std::size_t OVector_Array::GetObjectSize() const {
    // Every element is stored as a plain OVector record (see AddObjectData), whatever class derived
    // from OVector it is, so each takes the size of that record: asking the element itself would
    // count a derived class's own size, which the record does not hold, and the length written in
    // front of the list, and of any path record around it, would lie.
    return kHeadBytes + kCountBytes + m_vElements.size() * OVector().GetObjectSize();
}

bool OVector_Array::AddObjectData(OByteStream& stream) {
    const std::size_t total = GetObjectSize();
    stream.Reserve(total);
    stream.WriteU32(static_cast<std::uint32_t>(total - kLengthFieldBytes));
    stream.WriteU32(GetObjectID());
    stream.WriteU32(static_cast<std::uint32_t>(m_vElements.size()));
    for (const auto& element : m_vElements) {
        // An empty slot is stored as the origin so that the count stays true.
        OVector value = element ? *element : OVector();
        value.AddObjectData(stream);
    }
    stream.FinishRecord();
    return true;
}

bool OVector_Array::GetObjectData(OByteStream& stream, bool /*bFlag*/) {
    const std::size_t start = stream.GetPosition();
    std::uint32_t length = 0;
    std::size_t end = 0;
    if (!stream.OpenRecord(GetObjectID(), length, end)) {
        return false;
    }
    std::uint32_t count = 0;
    bool ok = stream.ReadU32(count) && stream.GetPosition() <= end;
    // Never trust the count for an allocation: every element needs at least one record head.
    const std::size_t minimumElementBytes = OVector().GetObjectSize();
    ok = ok && count <= (end - stream.GetPosition()) / minimumElementBytes;
    std::vector<std::shared_ptr<OVector>> elements;
    if (ok) {
        elements.reserve(count);
    }
    for (std::uint32_t i = 0; ok && i < count; ++i) {
        auto element = std::make_shared<OVector>();
        ok = element->GetObjectData(stream, true) && stream.GetPosition() <= end;
        elements.push_back(std::move(element));
    }
    stream.FinishRecord();
    if (!ok || !stream.SetPosition(end)) {
        stream.SetPosition(start);
        return false;
    }
    m_vElements.swap(elements);
    return true;
}

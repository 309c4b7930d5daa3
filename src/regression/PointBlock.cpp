#include "regression/PointBlock.h"

#include <utility>

namespace regression_detail {

void PointBlock::AppendPoints(const OFastArrayList<std::int64_t>& xs,
                              const OFastArrayList<std::int64_t>& ys, OVector_Array& target) {
    const std::int64_t count = xs.GetCount();
    if (count == 0) {
        return;
    }
    // The block belongs to this function until its first point exists, then to its points.
    std::unique_ptr<PointBlock> block(new PointBlock(static_cast<std::size_t>(count)));
    const Allocator<OVector> allocator(block.get());
    std::shared_ptr<OVector> first = std::allocate_shared<OVector>(allocator, xs[0], ys[0]);
    block.release();
    target.Add(std::move(first));
    for (std::int64_t k = 1; k < count; ++k) {
        target.Add(std::allocate_shared<OVector>(allocator, xs[k], ys[k]));
    }
}

PointBlock::~PointBlock() {
    ::operator delete(m_storage);
}

void* PointBlock::Allocate(std::size_t bytes) {
    if (m_storage == nullptr) {
        m_storage = static_cast<unsigned char*>(::operator new(m_slots* bytes));
        m_slotBytes = bytes;
    }
    void* slot = nullptr;
    if (m_used < m_slots && bytes <= m_slotBytes) {
        slot = m_storage + m_used * m_slotBytes;
        ++m_used;
    } else {
        slot = ::operator new(bytes);
    }
    m_live.store(m_live.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    return slot;
}

void PointBlock::Release(void* slot) {
    const auto* const byte = static_cast<unsigned char*>(slot);
    if (byte < m_storage || byte >= m_storage + m_slots * m_slotBytes) {
        ::operator delete(slot);
    }
    if (m_live.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete this;
    }
}

}  // namespace regression_detail

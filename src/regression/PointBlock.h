#pragma once
// PointBlock: internal to the regression. Not installed, not exported.
//
// One piece of memory for the new points of one result list. Every point is made with
// std::allocate_shared into the block, so it carries its own reference count, set when it is made:
// filling a list of n points costs no atomic operation, also in a process that has started a
// thread (an aliasing pointer into one shared vector costs an atomic increment per point there).
// The block counts the points it handed out and frees itself when the last of them is released.
// Releasing a point costs one atomic decrement, as releasing an aliasing pointer does.
//
//   PointBlock::AppendPoints(xs, ys, list);   // appends n new OVector objects to the list

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "foundation/OFastArrayList.h"
#include "foundation/OVector.h"
#include "foundation/OVector_Array.h"

namespace regression_detail {

class PointBlock {
  public:
    // Appends a new OVector(xs[k], ys[k]) for every k to the list, all from one block.
    static void AppendPoints(const OFastArrayList<std::int64_t>& xs,
                             const OFastArrayList<std::int64_t>& ys, OVector_Array& target);

    PointBlock(const PointBlock&) = delete;
    PointBlock& operator=(const PointBlock&) = delete;
    ~PointBlock();

  private:
    // The allocator that std::allocate_shared copies into each point's control block.
    template <class T>
    struct Allocator {
        using value_type = T;

        explicit Allocator(PointBlock* owner) : block(owner) {}
        template <class U>
        Allocator(const Allocator<U>& other) : block(other.block) {}

        T* allocate(std::size_t n) {
            static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__,
                          "the block's slots are aligned as operator new aligns");
            return static_cast<T*>(block->Allocate(n * sizeof(T)));
        }
        void deallocate(T* slot, std::size_t) { block->Release(slot); }

        template <class U>
        bool operator==(const Allocator<U>& other) const {
            return block == other.block;
        }
        template <class U>
        bool operator!=(const Allocator<U>& other) const {
            return block != other.block;
        }

        PointBlock* block;
    };

    explicit PointBlock(std::size_t slots) : m_slots(slots) {}

    // A slot of `bytes`: the first call sizes the storage for all slots; a request that does not
    // fit (none is expected: every point has the same control block) gets memory of its own.
    void* Allocate(std::size_t bytes);
    // Gives back a slot; the last one frees the block.
    void Release(void* slot);

    std::size_t m_slots;
    std::size_t m_slotBytes = 0;
    std::size_t m_used = 0;
    unsigned char* m_storage = nullptr;
    // Points handed out and not yet released. Only the thread that fills the list makes points, and
    // no other thread can reach them before it returns, so making one adds without an atomic
    // read-modify-write; releases may come from any thread.
    std::atomic<std::size_t> m_live{0};
};

}  // namespace regression_detail

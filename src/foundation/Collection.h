#pragma once
// Collection: a growable, bounds-checked sequence behind a table of virtual operations.
//
// Collections cross module borders (the managed host hands in integer lists), so the order of
// the virtual operations below is part of the binary interface: do not reorder them.
//
// Out-of-range access never fails. A read by value (GetAt) answers zero; a writable access
// (ElementAt, operator[]) answers a reference to a spare element that all live collections of the
// same instantiation share through a per-instantiation weak pointer. Writing through that
// reference is visible to every collection holding the same spare, but GetAt out of range stays 0.
//
// Only exhausted memory and impossible sizes surface, as the standard exceptions:
// std::length_error("vector<T> too long") above the largest count, std::bad_array_new_length
// ("bad array new length") when the byte size cannot be represented, std::bad_alloc when the heap
// is exhausted.
//
//   WritableCollection<int> profile;
//   profile.Add(12);            // returns index 0
//   int v = profile.GetAt(5);   // 0: out of range

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "EdgeDetectionExport.h"

namespace concurrence {
// The only concurrency policy: no locking at all.
struct none {};
}  // namespace concurrence

template <class T, class Index = std::int64_t, class Alloc = std::allocator<T>,
          class Policy = concurrence::none>
class EDGEDETECTION_EXPORT Collection {
  public:
    using iterator = T*;
    using const_iterator = const T*;
    using reverse_iterator = std::reverse_iterator<T*>;
    using const_reverse_iterator = std::reverse_iterator<const T*>;

    // The spare elements shared by out-of-range accesses.
    struct empty_data {
        T readValue{};   // what an out-of-range read by value returns; never written
        T writeValue{};  // what an out-of-range writable access refers to
    };

    Collection() = default;
    Collection(const Collection&) = default;
    Collection& operator=(const Collection&) = default;

    virtual ~Collection() {
        // Storage first, then the share of the spare elements.
        std::vector<T, Alloc>().swap(m_vData);
        m_spEmptyData.reset();
    }

    virtual Index Add(const T& value) {
        if (m_vData.size() == m_vData.capacity()) {
            const T copy = value;  // the value may live in the storage that is about to move
            GrowFor(Count() + 1);
            m_vData.push_back(copy);
        } else {
            m_vData.push_back(value);
        }
        return Count() - 1;
    }

    virtual T& ElementAt(Index index) {
        if (InRange(index)) {
            return m_vData[static_cast<std::size_t>(index)];
        }
        return SharedEmptyData().writeValue;
    }

    virtual T& operator[](Index index) { return ElementAt(index); }

    virtual iterator begin() { return m_vData.data(); }
    virtual const_iterator begin() const { return m_vData.data(); }

    virtual void Assign(const T* source, Index count) {
        // The own first slot is compared even when the collection is empty but keeps storage:
        // copying a collection onto itself is a no-op, never a read of stale slots.
        if (source == nullptr || count <= 0 || source == m_vData.data()) {
            return;
        }
        if (count > Capacity()) {
            CheckCount(count);
            const Index newCapacity = GrownCapacity(count);
            // The old contents are discarded before the new storage is taken.
            std::vector<T, Alloc>().swap(m_vData);
            ReallocateExactly(newCapacity);
        }
        const std::size_t n = static_cast<std::size_t>(count);
        const std::size_t kept = std::min(n, m_vData.size());
        // Forward copy: a source inside this storage lies after its first element.
        std::copy(source, source + kept, m_vData.begin());
        if (n > m_vData.size()) {
            m_vData.insert(m_vData.end(), source + kept, source + n);
        } else {
            m_vData.resize(n);
        }
    }

    virtual iterator end() { return m_vData.data() + m_vData.size(); }
    virtual const_iterator end() const { return m_vData.data() + m_vData.size(); }

    virtual void ShrinkToFit() {
        if (m_vData.capacity() == m_vData.size()) {
            return;
        }
        if (m_vData.empty()) {
            std::vector<T, Alloc>().swap(m_vData);
            return;
        }
        std::vector<T, Alloc> exact(m_vData.begin(), m_vData.end());
        m_vData.swap(exact);
    }

    virtual T GetAt(Index index) const {
        if (InRange(index)) {
            return m_vData[static_cast<std::size_t>(index)];
        }
        return SharedEmptyData().readValue;
    }

    virtual Index GetCapacity() const { return Capacity(); }
    virtual Index GetCount() const { return Count(); }

    virtual int iGetCount() const {
        const Index count = Count();
        return count > std::numeric_limits<int>::max() ? 0 : static_cast<int>(count);
    }

    virtual const T* GetData() const { return m_vData.empty() ? nullptr : m_vData.data(); }
    virtual T* GetData() { return m_vData.empty() ? nullptr : m_vData.data(); }

    virtual Index IndexOf(const T& value, Index start) const {
        if (!InRange(start)) {
            return -1;
        }
        for (std::size_t i = static_cast<std::size_t>(start); i < m_vData.size(); ++i) {
            if (m_vData[i] == value) {
                return static_cast<Index>(i);
            }
        }
        return -1;
    }

    virtual Index GetUpperBound() const { return Count() - 1; }

    virtual void InsertAt(Index index, const T& value, Index count) {
        if (index < 0 || index > Count() || count < 1) {
            return;
        }
        const T copy = value;  // taken before any element moves
        if (count > MaxCount() - Count()) {
            ThrowTooLong();
        }
        GrowFor(Count() + count);
        m_vData.insert(m_vData.begin() + static_cast<std::ptrdiff_t>(index),
                       static_cast<std::size_t>(count), copy);
    }

    virtual reverse_iterator rbegin() { return reverse_iterator(end()); }
    virtual const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
    virtual reverse_iterator rend() { return reverse_iterator(begin()); }
    virtual const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

    virtual void RemoveAll() { std::vector<T, Alloc>().swap(m_vData); }

    virtual void RemoveAt(Index index, Index count) {
        if (index < 0 || count <= 0 || index >= Count() || count > Count() - index) {
            return;
        }
        const auto first = m_vData.begin() + static_cast<std::ptrdiff_t>(index);
        m_vData.erase(first, first + static_cast<std::ptrdiff_t>(count));
    }

    virtual void Clear() { m_vData.clear(); }

    virtual void SetAt(Index index, const T& value) {
        if (InRange(index)) {
            m_vData[static_cast<std::size_t>(index)] = value;
        }
    }

    virtual void SetAtGrow(Index index, const T& value) {
        if (index < 0) {
            return;
        }
        if (index >= Count()) {
            if (index >= MaxCount()) {
                ThrowTooLong();
            }
            const T copy = value;
            SetSize(index + 1);
            m_vData[static_cast<std::size_t>(index)] = copy;
            return;
        }
        m_vData[static_cast<std::size_t>(index)] = value;
    }

    virtual void Reserve(Index capacity) {
        if (capacity < 0 || capacity <= Capacity()) {
            return;
        }
        CheckCount(capacity);
        ReallocateExactly(capacity);
    }

    virtual void SetSize(Index count) {
        if (count < 0) {
            return;
        }
        GrowFor(count);
        m_vData.resize(static_cast<std::size_t>(count));
    }

  protected:
    // The largest count: the smaller of the largest signed 64-bit value and the largest unsigned
    // 64-bit value divided by the element size.
    static constexpr Index MaxCount() {
        constexpr std::uint64_t byElementSize =
            std::numeric_limits<std::uint64_t>::max() / sizeof(T);
        constexpr std::uint64_t signedLimit =
            static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        return static_cast<Index>(std::min(byElementSize, signedLimit));
    }

  private:
    Index Count() const { return static_cast<Index>(m_vData.size()); }
    Index Capacity() const { return static_cast<Index>(m_vData.capacity()); }
    bool InRange(Index index) const { return index >= 0 && index < Count(); }

    // std::bad_array_new_length with the text that the collections report on every platform.
    struct BadArrayNewLength : std::bad_array_new_length {
        const char* what() const noexcept override { return "bad array new length"; }
    };

    [[noreturn]] static void ThrowTooLong() { throw std::length_error("vector<T> too long"); }

    static void CheckCount(Index count) {
        if (count > MaxCount()) {
            ThrowTooLong();
        }
    }

    // Capacity after a reallocation that must hold `needed` elements: one and a half times the
    // old capacity, or the needed count when that is larger or the growth would overflow.
    Index GrownCapacity(Index needed) const {
        const Index capacity = Capacity();
        if (capacity > MaxCount() - capacity / 2) {
            return needed;
        }
        return std::max(capacity + capacity / 2, needed);
    }

    void GrowFor(Index needed) {
        CheckCount(needed);
        if (needed > Capacity()) {
            ReallocateExactly(GrownCapacity(needed));
        }
    }

    void ReallocateExactly(Index capacity) {
        if (static_cast<std::uint64_t>(capacity) > m_vData.max_size()) {
            // The byte size of such a request cannot be represented by the allocator.
            throw BadArrayNewLength();
        }
        m_vData.reserve(static_cast<std::size_t>(capacity));
    }

    empty_data& SharedEmptyData() const {
        if (!m_spEmptyData) {
            m_spEmptyData = s_wpEmptyData.lock();
        }
        if (!m_spEmptyData) {
            m_spEmptyData = std::make_shared<empty_data>();
        }
        if (!m_spEmptyData) {
            throw std::bad_alloc();
        }
        s_wpEmptyData = m_spEmptyData;
        return *m_spEmptyData;
    }

    // Field order is part of the layout: the spare-element share, then the elements.
    mutable std::shared_ptr<empty_data> m_spEmptyData;
    std::vector<T, Alloc> m_vData;

    // One per instantiation: the spare elements that collections of this type currently share.
    inline static std::weak_ptr<empty_data> s_wpEmptyData;
};

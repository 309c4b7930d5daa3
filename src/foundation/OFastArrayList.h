#pragma once
// OFastArrayList: a fixed-capacity array list without checks, for the inner loops of the circle
// fit and the line regression. The capacity is set once when the list is made; Add and operator[]
// are plain stores and loads, and the caller keeps 0 <= count <= capacity. The list never
// reallocates.
//
// Release builds check nothing. Debug builds (NDEBUG not defined) and the library's sanitizer
// builds (EDGEDETECTION_CHECKED defined) check what the caller keeps: an Add, CopyFrom or AddRange
// beyond the capacity, or an operator[] outside 0..capacity - 1, stops the program with a message
// there, instead of writing past the array.
//
//   OFastArrayList<double> xs(n);     // room for n values, count 0
//   xs.Add(1.5);                      // no capacity check
//   double first = xs[0];

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

#include "EdgeDetectionExport.h"

template <class T, class Index = std::int64_t, int Unused = 0>
class EDGEDETECTION_EXPORT OFastArrayList {
    // Elements are compared byte by byte and copied with memmove.
    static_assert(std::is_trivially_copyable_v<T>, "OFastArrayList holds plain values only");

  public:
#if !defined(NDEBUG) || defined(EDGEDETECTION_CHECKED)
    static constexpr bool kChecked = true;
#else
    static constexpr bool kChecked = false;
#endif

    // A negative capacity counts as 0. A capacity whose byte size cannot be represented makes the
    // allocation fail (std::bad_alloc) instead of wrapping around to a small array.
    explicit OFastArrayList(Index capacity) {
        const Index wanted = capacity < 0 ? 0 : capacity;
        if (static_cast<std::uint64_t>(wanted) >
            std::numeric_limits<std::size_t>::max() / sizeof(T)) {
            throw std::bad_alloc();
        }
        m_pData = new T[static_cast<std::size_t>(wanted)];
        m_iCapacity = wanted;
    }

    OFastArrayList(const OFastArrayList&) = delete;
    OFastArrayList& operator=(const OFastArrayList&) = delete;

    virtual ~OFastArrayList() {
        delete[] m_pData;
        m_pData = nullptr;
        m_iCount = 0;
        m_iCapacity = 0;
    }

    virtual T* GetData() {
        return (m_iCount != 0 && m_pData != nullptr) ? m_pData : nullptr;
    }
    virtual const T* GetData() const {
        return (m_iCount != 0 && m_pData != nullptr) ? m_pData : nullptr;
    }

    virtual T* GetBuffer() {
        return m_pData;
    }
    virtual const T* GetBuffer() const {
        return m_pData;
    }

    // First index at or after start whose element has the same bytes as value (so -0.0 does not
    // find +0.0); -1 when there is none or start is out of range.
    virtual Index IndexOf(const T& value, Index start) const {
        if (m_iCount == 0 || m_pData == nullptr || start < 0 || start >= m_iCount) {
            return -1;
        }
        for (Index i = start; i < m_iCount; ++i) {
            if (std::memcmp(&m_pData[i], &value, sizeof(T)) == 0) {
                return i;
            }
        }
        return -1;
    }

    Index GetCount() const {
        return m_iCount;
    }
    Index GetCapacity() const {
        return m_iCapacity;
    }

    T& operator[](Index i) {
        Require(i >= 0 && i < m_iCapacity, "index outside the capacity");
        return m_pData[i];
    }
    const T& operator[](Index i) const {
        Require(i >= 0 && i < m_iCapacity, "index outside the capacity");
        return m_pData[i];
    }

    void Add(const T& value) {
        Require(m_iCount < m_iCapacity, "Add beyond the capacity");
        m_pData[m_iCount++] = value;
    }

    void RemoveAll() {
        m_iCount = 0;
    }

    // The target's capacity must be at least the source's count.
    void CopyFrom(const OFastArrayList& source) {
        Require(source.m_iCount <= m_iCapacity, "CopyFrom beyond the capacity");
        m_iCount = source.m_iCount;
        if (m_iCount > 0) {
            std::memmove(m_pData, source.m_pData, static_cast<std::size_t>(m_iCount) * sizeof(T));
        }
    }

    // Appends all elements of the other list; the sum of the counts must fit in the capacity.
    void AddRange(const OFastArrayList& other) {
        Require(other.m_iCount <= m_iCapacity - m_iCount, "AddRange beyond the capacity");
        if (other.m_iCount > 0) {
            std::memmove(m_pData + m_iCount, other.m_pData,
                         static_cast<std::size_t>(other.m_iCount) * sizeof(T));
        }
        m_iCount += other.m_iCount;
    }

  private:
    // In checked builds, stops the program when the caller broke the list's contract.
    static void Require(bool kept, const char* what) {
        if constexpr (kChecked) {
            if (!kept) {
                std::fprintf(stderr, "OFastArrayList: %s\n", what);
                std::abort();
            }
        } else {
            static_cast<void>(kept);
            static_cast<void>(what);
        }
    }

    T* m_pData = nullptr;
    Index m_iCount = 0;
    Index m_iCapacity = 0;
};

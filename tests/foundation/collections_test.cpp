// Tests of the collection templates: growth, the shared out-of-range element, bad indices and
// counts, aliasing of values that live in the collection itself, impossible sizes, and the
// bitwise search and capacity saturation of OFastArrayList.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "foundation/OFastArrayList.h"
#include "foundation/WritableCollection.h"

namespace {

using Ints = WritableCollection<int>;
using Bytes = WritableCollection<unsigned char>;
using Index = std::int64_t;

constexpr Index kIndexMax = std::numeric_limits<Index>::max();

std::vector<int> ToVector(const Ints& c) {
    std::vector<int> values;
    for (Index i = 0; i < c.GetCount(); ++i) {
        values.push_back(c.GetAt(i));
    }
    return values;
}

// A collection holding `values` whose capacity equals its count (the next growth reallocates).
void MakeFull(Ints& c, const std::vector<int>& values) {
    c.Reserve(static_cast<Index>(values.size()));
    for (int v : values) {
        c.Add(v);
    }
}

// ---------------------------------------------------------------------------------------------
// Growth

struct GrowthCase {
    const char* name;
    int fullCapacity;                 // the collection starts full: count == capacity
    std::function<void(Ints&)> grow;  // the operation under test
    Index capacity;
    Index count;
};

TEST(CollectionGrowth, CapacityAfterEachKindOfGrowth) {
    const int src[20] = {};
    const GrowthCase cases[] = {
        {"Add on capacity 4", 4, [](Ints& c) { c.Add(1); }, 6, 5},
        {"Add on capacity 1", 1, [](Ints& c) { c.Add(1); }, 2, 2},
        {"Add on capacity 0", 0, [](Ints& c) { c.Add(1); }, 1, 1},
        {"InsertAt one more", 4, [](Ints& c) { c.InsertAt(0, 9, 1); }, 6, 5},
        {"InsertAt many more", 4, [](Ints& c) { c.InsertAt(2, 9, 5); }, 9, 9},
        {"SetSize one more", 4, [](Ints& c) { c.SetSize(5); }, 6, 5},
        {"SetSize far more", 4, [](Ints& c) { c.SetSize(100); }, 100, 100},
        {"SetSize smaller keeps capacity", 4, [](Ints& c) { c.SetSize(1); }, 4, 1},
        {"SetAtGrow just past", 4, [](Ints& c) { c.SetAtGrow(4, 1); }, 6, 5},
        {"Assign one more", 4, [&](Ints& c) { c.Assign(src, 5); }, 6, 5},
        {"Assign far more", 4, [&](Ints& c) { c.Assign(src, 20); }, 20, 20},
        {"Assign fewer keeps capacity", 4, [&](Ints& c) { c.Assign(src, 2); }, 4, 2},
        {"Reserve exactly", 4, [](Ints& c) { c.Reserve(11); }, 11, 4},
        {"Reserve below capacity", 4, [](Ints& c) { c.Reserve(2); }, 4, 4},
        {"Reserve negative", 4, [](Ints& c) { c.Reserve(-1); }, 4, 4},
        {"ShrinkToFit", 4,
         [](Ints& c) {
             c.SetSize(2);
             c.ShrinkToFit();
         },
         2, 2},
        {"ShrinkToFit when empty", 4,
         [](Ints& c) {
             c.Clear();
             c.ShrinkToFit();
         },
         0, 0},
        {"Clear keeps capacity", 4, [](Ints& c) { c.Clear(); }, 4, 0},
        {"RemoveAll releases", 4, [](Ints& c) { c.RemoveAll(); }, 0, 0},
        {"RemoveAt keeps capacity", 4, [](Ints& c) { c.RemoveAt(0, 4); }, 4, 0},
    };
    for (const GrowthCase& g : cases) {
        Ints c;
        MakeFull(c, std::vector<int>(static_cast<std::size_t>(g.fullCapacity), 3));
        ASSERT_EQ(c.GetCapacity(), g.fullCapacity) << g.name;
        g.grow(c);
        EXPECT_EQ(c.GetCapacity(), g.capacity) << g.name;
        EXPECT_EQ(c.GetCount(), g.count) << g.name;
    }
}

// ---------------------------------------------------------------------------------------------
// The shared out-of-range element

TEST(CollectionOutOfRange, WritableAccessIsSharedWhileReadsStayZero) {
    {
        Ints a;
        Ints b;
        a.Add(1);
        b.Add(2);
        a.ElementAt(a.GetCount()) = 7;
        EXPECT_EQ(b.ElementAt(-5), 7) << "the other collection sees the write";
        EXPECT_EQ(b[-1], 7) << "operator[] refers to the same element";
        EXPECT_EQ(a.GetAt(-5), 0);
        EXPECT_EQ(b.GetAt(-5), 0);
        EXPECT_EQ(b.GetAt(b.GetCount()), 0);
        EXPECT_EQ(ToVector(a), std::vector<int>{1});
        EXPECT_EQ(ToVector(b), std::vector<int>{2});

        // Another element type has its own shared element.
        WritableCollection<unsigned int> other;
        EXPECT_EQ(other.ElementAt(-1), 0u);
    }
    // The last holder is gone: the next out-of-range access starts from zero again.
    Ints fresh;
    EXPECT_EQ(fresh.ElementAt(0), 0);
}

TEST(CollectionOutOfRange, BadIndicesChangeNothing) {
    Ints c;
    MakeFull(c, {1, 2, 3});
    c.SetAt(3, 9);
    c.SetAt(-1, 9);
    c.SetAtGrow(-1, 9);
    c.InsertAt(4, 9, 1);
    c.InsertAt(-1, 9, 1);
    c.InsertAt(0, 9, 0);
    c.RemoveAt(3, 1);
    c.RemoveAt(-1, 1);
    c.RemoveAt(0, 0);
    c.SetSize(-1);
    EXPECT_EQ(ToVector(c), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(c.GetCapacity(), 3);
}

// ---------------------------------------------------------------------------------------------
// Edge cases of single operations

TEST(CollectionOperations, EdgeCases) {
    Ints c;
    EXPECT_EQ(c.GetData(), nullptr);
    EXPECT_EQ(c.GetUpperBound(), -1);
    EXPECT_EQ(c.IndexOf(0, 0), -1);
    EXPECT_EQ(c.Add(10), 0);
    for (int v : {11, 12, 13, 14}) {
        c.Add(v);
    }
    EXPECT_EQ(c.Add(15), 5) << "Add on 5 elements";
    EXPECT_EQ(c.GetUpperBound(), 5);

    EXPECT_EQ(c.IndexOf(12, 0), 2);
    EXPECT_EQ(c.IndexOf(12, 3), -1);
    EXPECT_EQ(c.IndexOf(15, c.GetCount()), -1) << "start at the count";
    EXPECT_EQ(c.IndexOf(15, -1), -1);

    c.InsertAt(c.GetCount(), 7, 2);
    EXPECT_EQ(ToVector(c), (std::vector<int>{10, 11, 12, 13, 14, 15, 7, 7}));
    c.InsertAt(c.GetCount() + 1, 8, 2);
    EXPECT_EQ(c.GetCount(), 8);

    std::vector<int> reversed(c.rbegin(), c.rend());
    EXPECT_EQ(reversed, (std::vector<int>{7, 7, 15, 14, 13, 12, 11, 10}));
    EXPECT_EQ(c.end() - c.begin(), 8);

    const Index capacity = c.GetCapacity();
    c.Clear();
    EXPECT_EQ(c.GetData(), nullptr) << "no data although storage is kept";
    EXPECT_EQ(c.GetCapacity(), capacity);
    EXPECT_EQ(c.GetUpperBound(), -1);
}

TEST(CollectionOperations, RemoveAtNeedsTheWholeRange) {
    Ints five;
    MakeFull(five, {1, 2, 3, 4, 5});
    five.RemoveAt(2, 3);
    EXPECT_EQ(ToVector(five), (std::vector<int>{1, 2}));

    Ints four;
    MakeFull(four, {1, 2, 3, 4});
    four.RemoveAt(2, 3);
    EXPECT_EQ(ToVector(four), (std::vector<int>{1, 2, 3, 4}));
    four.RemoveAt(1, kIndexMax);  // index + count overflows: still out of range
    EXPECT_EQ(four.GetCount(), 4);
}

TEST(CollectionOperations, SetSizeAndSetAtGrowFillWithZero) {
    Ints c;
    MakeFull(c, {1, 2, 3});
    c.SetAtGrow(10, 5);
    EXPECT_EQ(ToVector(c), (std::vector<int>{1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 5}));
    c.SetAtGrow(1, 8);
    EXPECT_EQ(c.GetAt(1), 8);

    const Index capacity = c.GetCapacity();
    c.SetSize(0);
    EXPECT_EQ(c.GetCount(), 0);
    EXPECT_EQ(c.GetCapacity(), capacity);
    c.SetSize(2);
    EXPECT_EQ(ToVector(c), (std::vector<int>{0, 0})) << "old values do not come back";
}

// ---------------------------------------------------------------------------------------------
// Values that refer into the collection itself

TEST(CollectionAliasing, InsertAndGrowCopyTheOldValue) {
    for (bool full : {false, true}) {
        // Inserting before the referenced element moves it; the copy is its old value.
        Ints c;
        MakeFull(c, {1, 2, 3, 4});
        if (!full) {
            c.Reserve(20);
        }
        c.InsertAt(1, c.ElementAt(2), 2);
        EXPECT_EQ(ToVector(c), (std::vector<int>{1, 3, 3, 2, 3, 4})) << "full " << full;

        Ints d;
        MakeFull(d, {5, 6});
        if (!full) {
            d.Reserve(20);
        }
        d.Add(d.ElementAt(0));
        d.SetAtGrow(6, d.ElementAt(1));
        EXPECT_EQ(ToVector(d), (std::vector<int>{5, 6, 5, 0, 0, 0, 6})) << "full " << full;
    }
}

TEST(CollectionAliasing, AssignFromItself) {
    Ints c;
    MakeFull(c, {1, 2, 3, 4, 5});
    c.Assign(c.GetData(), 2);  // its own first element: nothing
    EXPECT_EQ(ToVector(c), (std::vector<int>{1, 2, 3, 4, 5}));
    c.Assign(c.GetData() + 1, 3);  // overlapping, no reallocation
    EXPECT_EQ(ToVector(c), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(c.GetCapacity(), 5);

    // Emptied with its storage kept: the storage's first slot still counts as its own.
    const int* storage = c.begin();
    c.Clear();
    c.Assign(storage, 3);
    EXPECT_EQ(c.GetCount(), 0);

    c.Assign(nullptr, 3);
    const int one = 1;
    c.Assign(&one, 0);
    c.Assign(&one, -1);
    EXPECT_EQ(c.GetCount(), 0);
}

// ---------------------------------------------------------------------------------------------
// Counts beyond int and impossible sizes

// Touching 2 GiB page by page is slow on some virtual machines; ask for huge pages where the
// system offers them. Only the speed of the test depends on this.
void PreferHugePages(void* storage, std::size_t bytes) {
#if defined(__linux__)
    constexpr std::uintptr_t kHugePage = std::uintptr_t{1} << 21;
    const auto first = reinterpret_cast<std::uintptr_t>(storage);
    const std::uintptr_t start = (first + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (first + bytes) & ~(kHugePage - 1);
    if (end > start) {
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
#else
    (void)storage;
    (void)bytes;
#endif
}

TEST(CollectionLimits, IntCountAroundTwoToTheThirtyFirst) {
    // One byte collection of 2^31 elements (2 GiB), shrunk by one element, then released.
    const Index twoPow31 = Index{1} << 31;
    Bytes bytes;
    bytes.Reserve(twoPow31);
    PreferHugePages(bytes.begin(), static_cast<std::size_t>(twoPow31));
    bytes.SetSize(twoPow31);
    EXPECT_EQ(bytes.GetCount(), twoPow31);
    EXPECT_EQ(bytes.iGetCount(), 0) << "2147483648 elements do not fit an int";
    EXPECT_EQ(bytes.GetAt(twoPow31 - 1), 0);

    bytes.SetSize(twoPow31 - 1);
    EXPECT_EQ(bytes.iGetCount(), std::numeric_limits<int>::max());
    bytes.RemoveAll();
    EXPECT_EQ(bytes.GetCapacity(), 0);
}

template <class Exception>
void ExpectThrowWithText(const std::function<void()>& action, const std::string& text,
                         const char* name) {
    try {
        action();
        ADD_FAILURE() << name << ": nothing thrown";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), text) << name;
    } catch (...) {
        ADD_FAILURE() << name << ": another exception";
    }
}

TEST(CollectionLimits, ImpossibleSizesThrowTheStandardExceptions) {
    // Largest count of 4-byte elements: 2^64 / 4 - 1. Above it: length_error. Below it but
    // beyond what the allocator can express in bytes: bad_array_new_length. Nothing is
    // allocated in either case.
    const Index maxIntCount = 4611686018427387903;
    const int source[1] = {1};
    const std::string tooLong = "vector<T> too long";
    Ints c;
    c.Add(1);
    ExpectThrowWithText<std::length_error>([&] { c.SetSize(maxIntCount + 1); }, tooLong, "SetSize");
    ExpectThrowWithText<std::length_error>([&] { c.Reserve(kIndexMax); }, tooLong, "Reserve");
    ExpectThrowWithText<std::length_error>([&] { c.InsertAt(0, 1, kIndexMax); }, tooLong,
                                           "InsertAt");
    ExpectThrowWithText<std::length_error>([&] { c.SetAtGrow(maxIntCount, 1); }, tooLong,
                                           "SetAtGrow");
    ExpectThrowWithText<std::length_error>([&] { c.Assign(source, maxIntCount + 1); }, tooLong,
                                           "Assign");
    ExpectThrowWithText<std::bad_array_new_length>([&] { c.Reserve(maxIntCount); },
                                                   "bad array new length", "Reserve");
    // A failed reallocation leaves the collection as it was.
    EXPECT_EQ(ToVector(c), std::vector<int>{1});

    // Single bytes: the largest count is the largest signed 64-bit value.
    Bytes bytes;
    bytes.Add(1);
    ExpectThrowWithText<std::length_error>([&] { bytes.InsertAt(0, 1, kIndexMax); }, tooLong,
                                           "byte InsertAt");
}

// ---------------------------------------------------------------------------------------------
// OFastArrayList

TEST(FastArrayList, IndexOfComparesBits) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    OFastArrayList<double> list(8);
    for (double v : {0.0, 1.0, -0.0, nan}) {
        list.Add(v);
    }
    EXPECT_EQ(list.IndexOf(-0.0, 0), 2) << "-0.0 does not find +0.0";
    EXPECT_EQ(list.IndexOf(0.0, 1), -1) << "+0.0 does not find -0.0";
    EXPECT_EQ(list.IndexOf(nan, 0), 3) << "the same NaN bits are found";
    EXPECT_EQ(list.IndexOf(1.0, list.GetCount()), -1);
    EXPECT_EQ(list.IndexOf(1.0, -1), -1);
    list.RemoveAll();
    EXPECT_EQ(list.IndexOf(0.0, 0), -1);
    EXPECT_EQ(list.GetData(), nullptr);
    EXPECT_NE(list.GetBuffer(), nullptr) << "the array stays";
    EXPECT_EQ(list.GetCapacity(), 8);
}

TEST(FastArrayList, CapacityIsSetOnceAndSaturates) {
    OFastArrayList<std::int64_t> negative(-5);
    EXPECT_EQ(negative.GetCapacity(), 0);
    EXPECT_EQ(negative.GetCount(), 0);
    EXPECT_EQ(negative.GetData(), nullptr);

    // Byte sizes that overflow 64 bits must fail, not wrap round to a small array.
    EXPECT_THROW(OFastArrayList<double>{kIndexMax}, std::bad_alloc);
    EXPECT_THROW(OFastArrayList<std::int64_t>{Index{1} << 61}, std::bad_alloc);
}

TEST(FastArrayList, CopyFromAndAddRange) {
    OFastArrayList<std::int64_t> a(2);
    OFastArrayList<std::int64_t> b(8);
    a.Add(1);
    a.Add(2);
    b.Add(9);
    b.CopyFrom(a);
    b.AddRange(a);
    b.AddRange(b);  // appending itself doubles it
    ASSERT_EQ(b.GetCount(), 8);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[3], 2);
    EXPECT_EQ(b[4], 1);
    EXPECT_EQ(b[7], 2);
}

}  // namespace

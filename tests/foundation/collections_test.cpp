// Tests of the collection templates: growth, the shared out-of-range element, bad indices and
// counts, aliasing of values that live in the collection itself, impossible sizes, and the
// bitwise search and capacity saturation of OFastArrayList.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "foundation/OFastArrayList.h"
#include "foundation/WritableCollection.h"

namespace {

using Ints = WritableCollection<int>;
using Index = std::int64_t;

constexpr Index kIndexMax = std::numeric_limits<Index>::max();

std::vector<int> ToVector(const Ints& c) {
    return std::vector<int>(c.begin(), c.end());
}

// A collection holding `values` whose capacity equals its count (the next growth reallocates).
void MakeFull(Ints& c, const std::vector<int>& values) {
    c.Assign(values.data(), static_cast<Index>(values.size()));
}

TEST(CollectionGrowth, CapacityAfterEachKindOfGrowth) {
    const int src[20] = {};
    // Name, capacity of the full collection it starts from, the operation, capacity and count.
    const std::tuple<const char*, int, std::function<void(Ints&)>, Index, Index> cases[] = {
        {"Add on 4", 4, [](Ints& c) { c.Add(1); }, 6, 5},
        {"Add on 0", 0, [](Ints& c) { c.Add(1); }, 1, 1},
        {"InsertAt many more", 4, [](Ints& c) { c.InsertAt(2, 9, 5); }, 9, 9},
        {"SetAtGrow just past", 4, [](Ints& c) { c.SetAtGrow(4, 1); }, 6, 5},
        {"Assign one more", 4, [&](Ints& c) { c.Assign(src, 5); }, 6, 5},
        {"Reserve exactly", 4, [](Ints& c) { c.Reserve(11); }, 11, 4},
    };
    for (const auto& [name, full, grow, capacity, count] : cases) {
        Ints c;
        MakeFull(c, std::vector<int>(static_cast<std::size_t>(full), 3));
        grow(c);
        EXPECT_EQ(c.GetCapacity(), capacity) << name;
        EXPECT_EQ(c.GetCount(), count) << name;
    }
}

TEST(CollectionOutOfRange, WritableAccessIsSharedWhileReadsStayZero) {
    {
        Ints a;
        Ints b;
        a.Add(1);
        b.Add(2);
        a.ElementAt(a.GetCount()) = 7;
        EXPECT_EQ(b.ElementAt(-5), 7) << "the other collection sees the write";
        EXPECT_EQ(a.GetAt(-5), 0);
        EXPECT_EQ(b.GetAt(b.GetCount()), 0);
        EXPECT_EQ(ToVector(a), std::vector<int>{1});
    }
    // The last holder is gone: the next out-of-range access starts from zero again.
    EXPECT_EQ(Ints().ElementAt(0), 0);
}

TEST(CollectionOutOfRange, BadIndicesAndCountsChangeNothing) {
    Ints c;
    MakeFull(c, {1, 2, 3});
    c.SetAt(3, 9);
    c.SetAt(-1, 9);
    c.SetAtGrow(-1, 9);
    c.InsertAt(4, 9, 1);
    c.InsertAt(-1, 9, 1);
    c.RemoveAt(3, 1);
    c.RemoveAt(-1, 1);
    c.RemoveAt(2, 2);
    c.RemoveAt(1, kIndexMax);  // the end overflows
    c.SetSize(-1);
    c.Assign(nullptr, 3);
    c.Assign(c.GetData(), 2);  // its own first element
    EXPECT_EQ(ToVector(c), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(c.GetCapacity(), 3);
    EXPECT_EQ(c.IndexOf(3, c.GetCount()), -1);
    EXPECT_EQ(c.IndexOf(3, -1), -1);
}

TEST(CollectionOperations, ResultsOfSingleOperations) {
    EXPECT_EQ(Ints().Add(10), 0);
    Ints c;
    MakeFull(c, {10, 11, 12, 13, 14});
    EXPECT_EQ(c.Add(15), 5);
    EXPECT_EQ(c.IndexOf(12, 2), 2);
    c.RemoveAt(2, 4);  // up to the last element
    c.InsertAt(c.GetCount(), 7, 2);
    EXPECT_EQ(ToVector(c), (std::vector<int>{10, 11, 7, 7}));

    const Index capacity = c.GetCapacity();
    c.Clear();
    EXPECT_EQ(c.GetData(), nullptr) << "no data although storage is kept";
    EXPECT_EQ(c.GetCapacity(), capacity);
    c.SetSize(2);
    EXPECT_EQ(ToVector(c), (std::vector<int>{0, 0})) << "old values do not come back";
    c.ShrinkToFit();
    EXPECT_EQ(c.GetCapacity(), 2);
}

TEST(CollectionOperations, ValuesFromInsideTheCollectionAreCopiedBeforeAnythingMoves) {
    Ints c;  // full: the insertion reallocates under the referenced element
    MakeFull(c, {1, 2, 3, 4});
    c.InsertAt(1, c.ElementAt(2), 2);
    EXPECT_EQ(ToVector(c), (std::vector<int>{1, 3, 3, 2, 3, 4}));
    Ints d;
    MakeFull(d, {5, 6});
    d.Add(d.ElementAt(0));
    d.SetAtGrow(6, d.ElementAt(1));
    EXPECT_EQ(ToVector(d), (std::vector<int>{5, 6, 5, 0, 0, 0, 6}));
    d.Assign(d.GetData() + 1, 3);  // overlapping, no reallocation
    EXPECT_EQ(ToVector(d), (std::vector<int>{6, 5, 0}));
}

// One-byte elements whose constructor does nothing: growing to 2^31 of them touches no page.
struct Untouched {
    Untouched() {}  // NOLINT: deliberately leaves the byte alone
    unsigned char value;
    bool operator==(const Untouched& other) const { return value == other.value; }
};

TEST(CollectionLimits, IntCountAndImpossibleSizes) {
    const Index twoPow31 = Index{1} << 31;  // 2 GiB reserved, released at the end
    WritableCollection<Untouched> bytes;
    bytes.SetSize(twoPow31);
    EXPECT_EQ(bytes.iGetCount(), 0) << "2147483648 elements do not fit an int";
    bytes.SetSize(twoPow31 - 1);
    EXPECT_EQ(bytes.iGetCount(), std::numeric_limits<int>::max());
    // Largest count of 4-byte elements: 2^64 / 4 - 1. Above it: length_error. Below it but
    // beyond what the allocator can express in bytes: bad_array_new_length.
    const Index maxIntCount = 4611686018427387903;
    Ints c;
    c.Add(1);
    EXPECT_THROW(c.SetSize(maxIntCount + 1), std::length_error);
    EXPECT_THROW(c.InsertAt(0, 1, kIndexMax), std::length_error);
    EXPECT_THROW(c.Assign(c.GetData() + 1, maxIntCount + 1), std::length_error);
    EXPECT_THROW(c.Reserve(maxIntCount), std::bad_array_new_length);
    EXPECT_EQ(ToVector(c), std::vector<int>{1}) << "a failed reallocation changes nothing";
    // Single bytes: the largest count is the largest signed 64-bit value.
    WritableCollection<char> chars;
    chars.Add(1);
    EXPECT_THROW(chars.InsertAt(0, 1, kIndexMax), std::length_error);
}

TEST(FastArrayList, BitwiseSearchSaturatedCapacityAndRanges) {
    OFastArrayList<double> list(8);
    for (double v : {0.0, 1.0, -0.0}) {
        list.Add(v);
    }
    EXPECT_EQ(list.IndexOf(-0.0, 0), 2) << "-0.0 does not find +0.0";
    EXPECT_EQ(list.IndexOf(0.0, 1), -1) << "+0.0 does not find -0.0";
    EXPECT_EQ(list.IndexOf(1.0, 1), 1) << "the start is looked at";
    EXPECT_EQ(list.IndexOf(1.0, list.GetCount()), -1);
    list.RemoveAll();
    EXPECT_EQ(list.GetData(), nullptr);
    EXPECT_NE(list.GetBuffer(), nullptr) << "the array stays";
    EXPECT_EQ(OFastArrayList<std::int64_t>(-5).GetCapacity(), 0);
    // Byte sizes that overflow 64 bits must fail, not wrap round to a small array.
    EXPECT_THROW(OFastArrayList<double>{kIndexMax}, std::bad_alloc);
    EXPECT_THROW(OFastArrayList<std::int64_t>{Index{1} << 61}, std::bad_alloc);

    OFastArrayList<std::int64_t> a(2);
    OFastArrayList<std::int64_t> b(8);
    a.Add(1);
    a.Add(2);
    b.Add(9);
    b.CopyFrom(a);
    b.AddRange(a);
    b.AddRange(b);  // appending itself doubles it
    EXPECT_EQ(std::vector<std::int64_t>(b.GetData(), b.GetData() + b.GetCount()),
              (std::vector<std::int64_t>{1, 2, 1, 2, 1, 2, 1, 2}));
}

}  // namespace

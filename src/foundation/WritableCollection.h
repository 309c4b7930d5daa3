#pragma once
// WritableCollection: the collection type that the rest of the library uses. It derives
// non-publicly from Collection, adds no data and exposes the whole interface. Grey profiles and
// transition lists are WritableCollection<int> (the managed host calls it OIntList), byte buffers
// WritableCollection<unsigned char>.

#include "foundation/Collection.h"

template <class T, class Index = std::int64_t, class Alloc = std::allocator<T>>
class EDGEDETECTION_EXPORT WritableCollection
    : protected Collection<T, Index, Alloc, concurrence::none> {
    using Base = Collection<T, Index, Alloc, concurrence::none>;

  public:
    using typename Base::const_iterator;
    using typename Base::const_reverse_iterator;
    using typename Base::iterator;
    using typename Base::reverse_iterator;

    using Base::Add;
    using Base::begin;
    using Base::Clear;
    using Base::ElementAt;
    using Base::end;
    using Base::GetAt;
    using Base::GetCapacity;
    using Base::GetCount;
    using Base::GetData;
    using Base::GetUpperBound;
    using Base::iGetCount;
    using Base::IndexOf;
    using Base::InsertAt;
    using Base::operator[];
    using Base::rbegin;
    using Base::RemoveAll;
    using Base::RemoveAt;
    using Base::rend;
    using Base::Reserve;
    using Base::SetAt;
    using Base::SetAtGrow;
    using Base::SetSize;
    using Base::ShrinkToFit;

    // Re-declared with the base's behaviour.
    void Assign(const T* source, Index count) override { Base::Assign(source, count); }
};

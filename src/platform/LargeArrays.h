#pragma once
// Room for large arrays. The first write to fresh memory costs a page fault
// per 4 KiB page, which for the arrays of a mesh of a million triangles is a
// large share of the work of building it; where the system offers 2 MiB
// pages on request, large arrays ask for them.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace corvid {

// Asks the system to back the whole 2 MiB pages inside [data, data + bytes)
// with huge pages on first touch. Only a hint: memory already touched and
// systems without huge pages are unaffected. Ranges under 4 MiB are left
// alone.
void AdviseHugePages(const void* data, size_t bytes);

// Reserves room for count elements in list (nothing when it has room), with
// the advice above for the new array. Refusals of the allocator propagate as
// for std::vector::reserve.
template <class T>
void ReserveLarge(std::vector<T>& list, size_t count)
{
    if (count <= list.capacity())
        return;
    list.reserve(count);
    AdviseHugePages(list.data(), list.capacity() * sizeof(T));
}

// Makes room for extra more elements, growing the way push_back does (at
// least doubling), with the advice above: arrays built a little at a time
// get huge pages too once they are large.
template <class T>
void ReserveForMore(std::vector<T>& list, size_t extra)
{
    if (list.size() + extra <= list.capacity())
        return;
    ReserveLarge(list, std::max(list.size() + extra, 2 * list.capacity()));
}

} // namespace corvid

// A watch on freed memory for the ActiveX host tests: while it is on, objects
// of one size get pages of their own; deleting such an object makes its pages
// unreadable, and a later read or write of them is counted (then allowed, so
// the program goes on as it would have). It replaces the program's global
// operator new and delete (FreedMemoryWatch.cpp).
#pragma once

#include <cstddef>

namespace freedwatch {

// From now on, objects of exactly this size are watched.
void Watch(std::size_t size);
// No further objects are watched; those already watched stay so.
void Stop();
// Reads and writes of watched objects after their deletion, so far.
long Touches();
// Gives the pages of deleted watched objects back and sets the count to 0.
void Reset();

} // namespace freedwatch

#pragma once
// Counts heap allocations made through the global operator new, so tests can
// show that a hot path allocates nothing.
#include <cstddef>

namespace test_support {
size_t HeapAllocations();
}

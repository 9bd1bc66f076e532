// Counts every operator new/delete in the test process and can make the Nth
// allocation fail, so tests can see what a call allocates and how it behaves
// when the heap runs out.
#pragma once

#include <cstddef>

namespace allocation_tracker {

struct Counts {
    long allocations = 0;
    long releases = 0;
    std::size_t lastSize = 0;  // size asked of the latest allocation
};

// Starts counting afresh (counting is per thread: gtest's own allocations on
// other threads don't disturb it).
void start();
Counts stop();

// While counting, makes the `n`th allocation (1-based) throw std::bad_alloc.
void failAllocation(long n);

}  // namespace allocation_tracker

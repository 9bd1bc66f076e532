// Replaced global operator new/delete that count on the current thread.
#include "allocation_tracker.h"

#include <cstdlib>
#include <new>

namespace {
thread_local bool counting = false;
thread_local allocation_tracker::Counts counts;
thread_local long failAt = 0;

void* allocate(std::size_t size) {
    if (counting) {
        ++counts.allocations;
        counts.lastSize = size;
        if (failAt != 0 && counts.allocations == failAt) throw std::bad_alloc();
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void release(void* p) {
    if (p == nullptr) return;
    if (counting) ++counts.releases;
    std::free(p);
}
}  // namespace

namespace allocation_tracker {
void start() {
    counts = Counts{};
    failAt = 0;
    counting = true;
}
Counts stop() {
    counting = false;
    failAt = 0;
    return counts;
}
void failAllocation(long n) { failAt = n; }
}  // namespace allocation_tracker

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
// The nothrow forms too (GoogleTest 1.16 allocates with them): left to the
// runtime, ASan's would hand out blocks that the delete above frees as malloc's.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }

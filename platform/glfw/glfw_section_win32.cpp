// The GLFW section for the Windows DLL: a slim reader/writer lock, and GLFW's
// memory from the heap with a fixed reserve behind it.
//
// The lock is statically initialised, never allocates and cannot fail, so it
// holds when the heap is gone (the DLL's win32-threaded C++ library has no
// std::mutex). GLFW 3.4 writes through a null pointer when some of its
// allocations fail (its gamepad table in glfwInit, for one), so it must never
// see a refusal: what the heap refuses GLFW comes from a reserve inside the
// DLL, and the caller reports the heap as exhausted once GLFW has terminated.
#include <windows.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include <GLFW/glfw3.h>

#include "glfw_section.h"

namespace {

SRWLOCK glfwState = SRWLOCK_INIT;
// The thread inside the section, 0 (no thread's id) outside it. An SRW lock
// taken twice by one thread waits for ever, so the holder is asked first. Only
// that thread writes its own id here, so no other thread can read its own id
// by mistake.
std::atomic<DWORD> holder{0};

// Twice what one sequence holds at once under Wine (123 KiB, most of it the
// gamepad table); untouched pages of it cost the host nothing.
constexpr std::size_t kReserveBytes = 256 * 1024;
constexpr std::size_t kAlignment = 16;

// Handed out front to back and taken back whole when the section ends: GLFW
// has freed all it holds by then. Only used inside the section, so the lock
// guards it too.
struct Reserve {
    alignas(kAlignment) unsigned char bytes[kReserveBytes];
    std::size_t used = 0;
    bool heapRefused = false;

    // Each block carries its size in front, for growing it.
    struct alignas(kAlignment) Header {
        std::size_t size;
    };

    bool holds(const void* block) const {
        const auto* at = static_cast<const unsigned char*>(block);
        return at >= bytes && at < bytes + kReserveBytes;
    }
    void* take(std::size_t size) {
        const std::size_t rounded = (size + kAlignment - 1) / kAlignment * kAlignment;
        const std::size_t left = kReserveBytes - used;  // used never passes the end
        if (rounded < size || left < sizeof(Header) || rounded > left - sizeof(Header)) return nullptr;
        auto* header = reinterpret_cast<Header*>(bytes + used);
        header->size = size;
        used += sizeof(Header) + rounded;
        return header + 1;
    }
    static std::size_t sizeOf(const void* block) { return (static_cast<const Header*>(block) - 1)->size; }
};
Reserve reserve;

void* allocate(std::size_t size, void*) {
    if (void* block = std::malloc(size)) return block;
    reserve.heapRefused = true;
    return reserve.take(size);
}

// Like realloc: null leaves the block as it was.
void* reallocate(void* block, std::size_t size, void*) {
    if (!reserve.holds(block)) {
        if (void* moved = std::realloc(block, size)) return moved;
        reserve.heapRefused = true;
        void* copy = reserve.take(size);
        if (copy != nullptr) {
            std::memcpy(copy, block, std::min(size, _msize(block)));
            std::free(block);
        }
        return copy;
    }
    void* copy = reserve.take(size);
    if (copy != nullptr) std::memcpy(copy, block, std::min(size, Reserve::sizeOf(block)));
    return copy;
}

void deallocate(void* block, void*) {
    if (!reserve.holds(block)) std::free(block);
}

}  // namespace

GlfwSection::GlfwSection() {
    const DWORD self = GetCurrentThreadId();
    nested_ = holder.load() == self;
    if (nested_) return;  // the outer sequence's reserve and allocator stay as they are
    AcquireSRWLockExclusive(&glfwState);
    holder.store(self);
    reserve.used = 0;
    reserve.heapRefused = false;
    const GLFWallocator allocator = {allocate, reallocate, deallocate, nullptr};
    glfwInitAllocator(&allocator);  // copied: it takes effect at glfwInit
}

GlfwSection::~GlfwSection() {
    if (nested_) return;
    glfwInitAllocator(nullptr);
    holder.store(0);
    ReleaseSRWLockExclusive(&glfwState);
}

bool GlfwSection::heapRefused() const { return reserve.heapRefused; }

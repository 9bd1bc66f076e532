// mingw's C++ runtime keeps each thread's exception state (its caught and
// uncaught exceptions) in emulated thread-local storage: two small blocks that
// it takes from the heap the first time the thread throws, calling abort()
// when the heap refuses them. A thread's first std::bad_alloc would then end
// the host, so every thread is made ready here, once, while the heap answers.
#include <windows.h>

#include <cstdlib>
#include <exception>

#include "../../interface/exception_readiness.h"

namespace {

// Marks the threads already made ready. A Win32 slot and not a thread_local,
// since a thread_local is emulated storage too: its first read allocates.
class ReadyThreads {
public:
    ReadyThreads() : slot_(TlsAlloc()) {}
    ~ReadyThreads() {
        if (slot_ != TLS_OUT_OF_INDEXES) TlsFree(slot_);
    }
    ReadyThreads(const ReadyThreads&) = delete;
    ReadyThreads& operator=(const ReadyThreads&) = delete;

    // Without a slot every call asks again, which is correct, only slower.
    bool includesThisThread() const {
        return slot_ != TLS_OUT_OF_INDEXES && TlsGetValue(slot_) != nullptr;
    }
    void addThisThread() const {
        if (slot_ != TLS_OUT_OF_INDEXES) TlsSetValue(slot_, reinterpret_cast<void*>(1));
    }

private:
    DWORD slot_;
};

const ReadyThreads readyThreads;

// Well above what the runtime takes for a thread (a few hundred bytes).
constexpr std::size_t kProbeBytes = 4096;

}  // namespace

bool prepareThreadForExceptions() noexcept {
    if (readyThreads.includesThisThread()) return true;
    void* probe = std::malloc(kProbeBytes);
    if (probe == nullptr) return false;
    std::free(probe);
    // Reading the count makes the thread's exception state, with the heap
    // just shown to answer. The function is declared pure, so a result left
    // unread would let the compiler drop the call.
    volatile int uncaught = std::uncaught_exceptions();
    static_cast<void>(uncaught);
    readyThreads.addThisThread();
    return true;
}

// Where the DLL's C++ runtime finds a thread's exception state: in the script
// function call that is running on the thread. The runtime the DLL is built
// with on both processors, LLVM's libc++abi, would take it from the heap (so
// would GCC's libstdc++, which the x64 DLL had before).
//
// The runtime keeps that state (the C++ ABI's __cxa_eh_globals: the stack of
// caught exceptions and the count of uncaught ones) per thread, made the first
// time a thread throws. mingw's libstdc++ keeps it in emulated thread-local
// storage, which takes two blocks from the heap and calls abort() when the
// heap refuses them: a thread whose first call met an exhausted heap would
// end, or hang, the host. libc++abi takes it from the heap, or from a 512-byte
// reserve it shares with the exceptions themselves, and keeps it for the
// thread's life in a fiber-local slot whose clean-up lives in the DLL and is
// never given back: a thread of the host's that outlives the DLL would call
// into the unloaded DLL when it ends. The two ABI functions that find the
// state are defined here instead, so the runtime's own are not linked in:
// every exception in the DLL is thrown and caught inside one script function
// call, so the state lives in the call (CallExceptionState), found through a
// Win32 TLS slot, and is empty whenever a call begins and ends. Nothing comes
// from the heap and nothing is kept for a thread between calls.
#include <windows.h>

#include <atomic>

#include "../../interface/exception_state.h"

namespace {

// The ABI's __cxa_eh_globals as both runtimes lay it out on x86-64 and AArch64
// (only 32-bit ARM's EHABI adds a member): what the runtime reads and writes
// through the pointer it is given. Neither runtime's header is included: each
// declares the two functions with a type of its own, or not at all.
struct EhGlobals {
    void* caughtExceptions;
    unsigned int uncaughtExceptions;
};
static_assert(sizeof(EhGlobals) <= sizeof(void* [2]), "CallExceptionState holds the record");

// The TLS slot that points to the running call's record: taken on the first
// call, not at load, and given back when the DLL unloads.
class RecordSlot {
public:
    constexpr RecordSlot() = default;
    ~RecordSlot() {
        const DWORD slot = index_.load();
        if (slot != TLS_OUT_OF_INDEXES) TlsFree(slot);
    }
    RecordSlot(const RecordSlot&) = delete;
    RecordSlot& operator=(const RecordSlot&) = delete;

    DWORD take() {
        InitOnceExecuteOnce(&once_, &RecordSlot::allocate, this, nullptr);
        return index_.load();
    }
    // TLS_OUT_OF_INDEXES before the first call.
    DWORD index() const { return index_.load(); }

private:
    static BOOL CALLBACK allocate(INIT_ONCE*, void* self, void**) {
        static_cast<RecordSlot*>(self)->index_.store(TlsAlloc());
        return TRUE;
    }

    INIT_ONCE once_ = INIT_ONCE_STATIC_INIT;
    std::atomic<DWORD> index_{TLS_OUT_OF_INDEXES};
};
RecordSlot recordSlot;

// For the runtime outside any call (the DLL's load and unload), where nothing
// throws and the count is only read.
EhGlobals outsideAnyCall;

EhGlobals* runningRecord() noexcept {
    const DWORD slot = recordSlot.index();
    void* record = slot != TLS_OUT_OF_INDEXES ? TlsGetValue(slot) : nullptr;
    return record != nullptr ? static_cast<EhGlobals*>(record) : &outsideAnyCall;
}

}  // namespace

// The runtime's names for them. (libc++abi's __cxa_get_globals_fast may answer
// null for a thread that has thrown nothing; this one never does.)
extern "C" EhGlobals* __cxa_get_globals() noexcept { return runningRecord(); }

extern "C" EhGlobals* __cxa_get_globals_fast() noexcept { return runningRecord(); }

CallExceptionState::CallExceptionState() noexcept {
    const DWORD slot = recordSlot.take();
    if (slot == TLS_OUT_OF_INDEXES) return;
    // A call made from inside another on this thread (a window message that
    // reaches the host during getSpecs, say) stands in for it until it ends.
    outer_ = TlsGetValue(slot);
    // Slots beyond the first 64 take the thread's room for them from the
    // system the first time, which can fail.
    ready_ = TlsSetValue(slot, record_) != FALSE;
}

CallExceptionState::~CallExceptionState() {
    if (ready_) TlsSetValue(recordSlot.index(), outer_);
}

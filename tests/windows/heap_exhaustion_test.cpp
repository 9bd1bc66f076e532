// Kestrine.dll with its heap running out, under Wine. The DLL's own imports of
// the C runtime's malloc, calloc, realloc and free (msvcrt's on x64, UCRT's on
// ARM64, where libc++abi also takes its exceptions from _aligned_malloc) are
// routed through counters here,
// so the DLL's code (ours, the C++ runtime linked into it, GLFW) allocates
// exactly as it would from the real heap, until the Nth allocation of a call:
// from there on every allocation fails, as on an exhausted heap, or that one
// alone. For every N in turn, on a thread that has called before and as a new
// thread's first call, each script function must return 8 with the record
// untouched, or succeed; keep nothing; and leave the process alive and the
// next call whole.
// With --strict-mitigations (real Windows only: Wine enforces neither), the
// process first turns on the strictest Control Flow Guard and CET shadow
// stack policies it may, before the DLL loads; every call and every exception
// thrown and caught inside the DLL then runs under them.
// usage: windows_heap_exhaustion_test DLL_PATH [--strict-mitigations]
#include <map>
#include <memory>

#include "dll_harness.h"

namespace {

using namespace harness;

using Malloc = void*(__cdecl*)(std::size_t);
using Calloc = void*(__cdecl*)(std::size_t, std::size_t);
using Realloc = void*(__cdecl*)(void*, std::size_t);
using Free = void(__cdecl*)(void*);
using AlignedMalloc = void*(__cdecl*)(std::size_t, std::size_t);

// An SRW lock held for a scope.
class Held {
public:
    explicit Held(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~Held() { ReleaseSRWLockExclusive(&lock_); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

private:
    SRWLOCK& lock_;
};

// The heap as the DLL sees it while the test runs.
struct Heap {
    Malloc malloc = nullptr;
    Calloc calloc = nullptr;
    Realloc realloc = nullptr;
    Free free = nullptr;
    AlignedMalloc alignedMalloc = nullptr;
    Free alignedFree = nullptr;

    SRWLOCK lock = SRWLOCK_INIT;  // GLFW or Wine may call back on another thread
    long allocations = 0;  // asked of the heap since the count began
    long failFrom = 0;     // 0: none fails; N: the Nth and every later one,
    bool onlyOne = false;  // or the Nth alone
    long failures = 0;
    std::map<void*, std::size_t> live;  // the DLL's blocks made since the count began
    std::size_t liveBytes = 0, peakBytes = 0;

    // Whether the next allocation is refused; counts it either way.
    bool refuse() {
        Held guard(lock);
        ++allocations;
        const bool no = failFrom != 0 && (onlyOne ? allocations == failFrom : allocations >= failFrom);
        failures += no ? 1 : 0;
        return no;
    }
    void made(void* block, std::size_t size) {
        if (block == nullptr) return;
        Held guard(lock);
        live[block] = size;
        liveBytes += size;
        if (liveBytes > peakBytes) peakBytes = liveBytes;
    }
    void gone(void* block) {
        Held guard(lock);
        const auto found = live.find(block);
        if (found == live.end()) return;
        liveBytes -= found->second;
        live.erase(found);
    }
    void restart(long failingFrom, bool failingOnlyOne) {
        Held guard(lock);
        allocations = 0;
        failures = 0;
        failFrom = failingFrom;
        onlyOne = failingOnlyOne;
        live.clear();
        liveBytes = peakBytes = 0;
    }
};
Heap heap;

void* __cdecl countedMalloc(std::size_t size) {
    if (heap.refuse()) return nullptr;
    void* block = heap.malloc(size);
    heap.made(block, size);
    return block;
}

void* __cdecl countedCalloc(std::size_t count, std::size_t size) {
    if (heap.refuse()) return nullptr;
    void* block = heap.calloc(count, size);
    heap.made(block, count * size);
    return block;
}

// realloc(p, 0) frees; a refused realloc leaves the old block as it was.
void* __cdecl countedRealloc(void* old, std::size_t size) {
    if (size != 0 && heap.refuse()) return nullptr;
    void* block = heap.realloc(old, size);
    if (block != nullptr || size == 0) heap.gone(old);
    heap.made(block, size);
    return block;
}

void __cdecl countedFree(void* block) {
    heap.gone(block);
    heap.free(block);
}

void* __cdecl countedAlignedMalloc(std::size_t size, std::size_t alignment) {
    if (heap.refuse()) return nullptr;
    void* block = heap.alignedMalloc(size, alignment);
    heap.made(block, size);
    return block;
}

void __cdecl countedAlignedFree(void* block) {
    heap.gone(block);
    heap.alignedFree(block);
}

// abort() inside the DLL names where it was called from and ends the test,
// rather than leaving Wine to hang over the dying process.
void __cdecl reportedAbort() {
    void* frames[12];
    const USHORT count = CaptureStackBackTrace(0, 12, frames, nullptr);
    // Standard error: standard output may be captured by the call under test.
    std::fprintf(stderr, "FAIL abort() called in the DLL, return addresses:");
    for (USHORT i = 1; i < count; ++i) std::fprintf(stderr, " %p", frames[i]);
    std::fprintf(stderr, "\n%d passed, %d failed\n", passed, failed + 1);
    TerminateProcess(GetCurrentProcess(), 3);
}

// The heap imports pointed at the counters, and abort at its reporter, for as
// long as the object lives.
class CountedHeap {
public:
    explicit CountedHeap(HMODULE dll) {
        // Each counter calls the function that the DLL's import was bound to.
        const struct {
            const char* name;
            void* counter;
            void** real;
            bool required;
        } imports[] = {{"malloc", reinterpret_cast<void*>(&countedMalloc), reinterpret_cast<void**>(&heap.malloc), true},
                       {"calloc", reinterpret_cast<void*>(&countedCalloc), reinterpret_cast<void**>(&heap.calloc), true},
                       {"realloc", reinterpret_cast<void*>(&countedRealloc), reinterpret_cast<void**>(&heap.realloc), true},
                       {"free", reinterpret_cast<void*>(&countedFree), reinterpret_cast<void**>(&heap.free), true},
                       {"_aligned_malloc", reinterpret_cast<void*>(&countedAlignedMalloc),
                        reinterpret_cast<void**>(&heap.alignedMalloc), false},
                       {"_aligned_free", reinterpret_cast<void*>(&countedAlignedFree),
                        reinterpret_cast<void**>(&heap.alignedFree), false},
                       {"abort", reinterpret_cast<void*>(&reportedAbort), nullptr, true}};
        for (const auto& import : imports) {
            auto patch = std::make_unique<PatchedImport>(dll, nullptr, import.name, import.counter);
            if (import.real != nullptr) *import.real = patch->original();
            if (import.required || patch->applied()) {
                check(patch->applied(), std::string("Kestrine.dll imports ") + import.name + " from the C runtime");
            }
            patches_.push_back(std::move(patch));
        }
        check((heap.alignedMalloc == nullptr) == (heap.alignedFree == nullptr),
              "_aligned_malloc and _aligned_free imported together");
    }
    CountedHeap(const CountedHeap&) = delete;
    CountedHeap& operator=(const CountedHeap&) = delete;

    bool applied() const { return failed == failedBefore_; }

private:
    const int failedBefore_ = failed;
    std::vector<std::unique_ptr<PatchedImport>> patches_;
};

struct Outcome {
    long code = -1;
    bool recordUntouched = false;
    std::string text;       // the result's text on success
    long allocations = 0;   // asked of the heap during the call
    std::size_t peakBytes = 0;  // most held at once
    long failures = 0;      // of them refused
    std::size_t kept = 0;   // blocks the call made and did not give back,
                            // counting after the result went through ESFreeMem
};

// One call with the heap failing from allocation `failFrom` (0: never), or
// at that allocation alone.
Outcome callWithHeap(const Library& dll, ScriptFn function, ScriptValue* args, long count,
                     long failFrom, bool onlyOne = false) {
    Outcome outcome;
    RawRecord result;
    const RawRecord pristine;
    {
        CapturedOutput quiet;  // getSpecs' console lines are not what is tested here
        heap.restart(failFrom, onlyOne);
        outcome.code = function(args, count, result.value());
        {
            Held guard(heap.lock);
            outcome.allocations = heap.allocations;
            outcome.peakBytes = heap.peakBytes;
            outcome.failures = heap.failures;
            heap.failFrom = 0;
        }
    }
    outcome.recordUntouched = std::memcmp(result.bytes, pristine.bytes, sizeof pristine.bytes) == 0;
    if (outcome.code == 0 && result.type() == 4 && result.text() != nullptr) {
        outcome.text = takeText(dll, result);
    }
    Held guard(heap.lock);
    outcome.kept = heap.live.size();
    return outcome;
}

// Runs `calls` on this thread, or on a new thread of the host's that has
// never called the DLL.
void run(bool onNewThread, const std::function<void()>& calls) {
    if (onNewThread) {
        HostThread(calls).join();
    } else {
        calls();
    }
}

// Fails the 1st allocation of a call, then the 2nd, and so on, until a call
// runs out of allocations to fail: each for good (an exhausted heap) or alone
// (a passing shortage, where the allocations after it succeed). On a new
// thread, the failing call is the thread's first. Returns how many calls saw a
// refusal.
long failEveryAllocation(const Library& dll, const char* name, ScriptFn function,
                         ScriptValue* args, long count, bool onlyOne, bool onNewThread) {
    static std::string where;  // the group's name outlives the call
    where = std::string(name) + (onNewThread ? " as a thread's first call" : "");
    group = where.c_str();
    Outcome whole;
    run(onNewThread, [&] { whole = callWithHeap(dll, function, args, count, 0); });
    checkEqual("returns 0 with the heap whole", "0", std::to_string(whole.code));
    checkEqual("keeps nothing with the heap whole", "0", std::to_string(whole.kept));
    check(whole.allocations > 0, "allocates at least once");
    std::printf("  %s: %ld allocations in a call, at most %zu bytes held at once\n", where.c_str(),
                whole.allocations, whole.peakBytes);

    long survived = 0;
    for (long n = 1; n <= whole.allocations + 1; ++n) {
        const std::string at = std::string(onlyOne ? "allocation " : "heap failing from allocation ") +
                               std::to_string(n) + (onlyOne ? " failing alone: " : ": ");
        Outcome failing, after;
        run(onNewThread, [&] {
            failing = callWithHeap(dll, function, args, count, n, onlyOne);
            after = callWithHeap(dll, function, args, count, 0);
        });
        if (failing.failures == 0) {
            // Nothing was refused: the call ran as with the heap whole.
            checkEqual(at + "nothing refused, the same result", whole.text, failing.text);
            break;
        }
        ++survived;
        check(failing.code == 8 || failing.code == 0,
              at + "returns 8 or 0, not " + std::to_string(failing.code));
        if (failing.code == 8) check(failing.recordUntouched, at + "the record is untouched");
        checkEqual(at + "blocks kept", "0", std::to_string(failing.kept));
        if (after.code != 0 || after.text != whole.text) {
            checkEqual(at + "the next call with the heap back", whole.text, after.text);
            break;  // the library is left broken: one report is enough
        }
    }
    std::printf("  %s: %ld calls with %s survived\n", where.c_str(), survived,
                onlyOne ? "one allocation failing" : "the heap exhausted");
    return survived;
}

// Control Flow Guard's strict mode, which refuses any DLL built without the
// guard (the guard itself is on as this program is built with it); where this
// process has shadow stacks (x64 on a CET processor), the refusal of DLLs not
// marked CET compatible, shadow stacks' strict mode, and the check of every
// address an unwind continues at. Each stays on for the process's life. The
// functions came with Windows 8 and the shadow stack policy with Windows 10
// 2004: looked up, so the program still starts where they are missing.
void strictMitigations() {
    group = "mitigations";
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    const auto getPolicy = reinterpret_cast<BOOL(WINAPI*)(HANDLE, PROCESS_MITIGATION_POLICY, void*, SIZE_T)>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "GetProcessMitigationPolicy")));
    const auto setPolicy = reinterpret_cast<BOOL(WINAPI*)(PROCESS_MITIGATION_POLICY, void*, SIZE_T)>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "SetProcessMitigationPolicy")));
    check(getPolicy != nullptr && setPolicy != nullptr, "Windows has process mitigation policies");
    if (getPolicy == nullptr || setPolicy == nullptr) return;
    // Prints what came on; a policy that must come on fails the test if refused.
    const auto set = [&](PROCESS_MITIGATION_POLICY policy, auto flags, const char* what, bool must) {
        const bool ok = setPolicy(policy, &flags, sizeof flags) != 0;
        const std::string refused = std::string(what) + " refused (error " + std::to_string(GetLastError()) + ")";
        if (must) check(ok, refused);
        std::printf("%s\n", ok ? (std::string("on: ") + what).c_str() : refused.c_str());
    };

    PROCESS_MITIGATION_CONTROL_FLOW_GUARD_POLICY guard{};
    check(getPolicy(GetCurrentProcess(), ProcessControlFlowGuardPolicy, &guard, sizeof guard) != 0 &&
              guard.EnableControlFlowGuard,
          "Control Flow Guard is on in this process");
    guard = {};
    guard.StrictMode = 1;
    set(ProcessControlFlowGuardPolicy, guard, "Control Flow Guard's strict mode", true);

    PROCESS_MITIGATION_USER_SHADOW_STACK_POLICY stack{};
    if (getPolicy(GetCurrentProcess(), ProcessUserShadowStackPolicy, &stack, sizeof stack) == 0 ||
        !stack.EnableUserShadowStack) {
        std::printf("SKIP CET: no shadow stack in this process (policy flags 0x%lx, error %lu): a processor "
                    "without CET, or a Windows that keeps none for this program\n",
                    static_cast<unsigned long>(stack.Flags), GetLastError());
        return;
    }
    stack = {};
    stack.BlockNonCetBinaries = 1;
    set(ProcessUserShadowStackPolicy, stack, "blocking DLLs not marked CET compatible", true);
    stack = {};
    stack.EnableUserShadowStackStrictMode = 1;
    set(ProcessUserShadowStackPolicy, stack, "shadow stacks' strict mode", true);
    // Documented for process creation; taken here where Windows allows it.
    stack = {};
    stack.SetContextIpValidation = 1;
    set(ProcessUserShadowStackPolicy, stack, "the check of the address an unwind continues at", false);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: windows_heap_exhaustion_test DLL_PATH [--strict-mitigations]\n", stderr);
        return 2;
    }
    // Unbuffered, so the figures already printed survive if the DLL takes
    // the process down.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc > 2 && std::string(argv[2]) == "--strict-mitigations") strictMitigations();
    group = "";
    Library dll(argv[1]);
    if (!dll.freeMem || !dll.getSpecs || !dll.sample) {
        std::printf("cannot load %s and its entry points (error %lu)\n0 passed, 1 failed\n",
                    argv[1], GetLastError());
        return 1;
    }
    // What the runtime makes once per process or thread is made before the
    // count starts, as it would be in a host that has called before.
    RawRecord warm;
    {
        CapturedOutput quiet;
        if (dll.getSpecs(nullptr, 0, warm.value()) == 0) dll.freeMem(const_cast<char*>(warm.text()));
    }

    CountedHeap counted(dll.module);
    if (!counted.applied()) return finish();
    // Long enough that no string keeps it inside its own small buffer.
    std::string text(300, 'x');
    text += " \xc3\xa9\xff";
    RawRecord argument(text.c_str(), 4);
    long refused = 0;
    for (const bool onNewThread : {false, true}) {
        for (const bool onlyOne : {false, true}) {
            refused += failEveryAllocation(dll, "sample", dll.sample, argument.value(), 1, onlyOne, onNewThread);
            refused += failEveryAllocation(dll, "getSpecs", dll.getSpecs, nullptr, 0, onlyOne, onNewThread);
        }
    }
    std::printf("%ld calls with injected heap failures\n", refused);
    return finish();
}

/* The stack protector's canary and its failure, for C runtimes that have
   neither. clang (mingw) checks every protected function's frame against
   __stack_chk_guard on return and calls __stack_chk_fail when it differs. */
#include <windows.h>

#include <ntsecapi.h>
#include <stdint.h>

uintptr_t __stack_chk_guard;

/* Drawn from the system's random source once per process, as the image starts:
   among the C initialisers (.CRT$XI*), which the C runtime's DLL start runs
   before any C++ constructor, DllMain or export, and from frames of its own
   that are not protected, so no frame checks a canary that this changes under
   it. Unprotected itself for the same reason. */
__attribute__((no_stack_protector)) static void drawCanary(void) {
    if (!RtlGenRandom(&__stack_chk_guard, sizeof __stack_chk_guard)) {
        /* Not seen to fail; should it, this process's own counter and image
           address, still unknown outside it. */
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        __stack_chk_guard = (uintptr_t)counter.QuadPart ^ (uintptr_t)&__stack_chk_guard;
    }
}

__attribute__((section(".CRT$XIB"), used)) static void (*const drawCanaryAtStart)(void) = drawCanary;

/* A frame was overwritten: the process ends at once, with no handler, unwinding
   or DLL detach run in it (__fastfail from Windows 8 on, as Microsoft's own
   check does; before, TerminateProcess). */
__attribute__((noreturn)) void __stack_chk_fail(void) {
    if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE)) {
        __fastfail(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE);
    }
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_trap();
}

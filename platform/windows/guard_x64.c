/* Control Flow Guard's two pointers on x64, for C runtimes that have none.
   Code compiled with the guard calls through a pointer by loading the target
   into rax and calling __guard_dispatch_icall_fptr, or checks a target in rcx
   through __guard_check_icall_fptr. Windows 8.1 and later point them at their
   own check when the process has the guard on; elsewhere (earlier Windows,
   Wine) these defaults run: a check that passes, leaving every argument
   register as it was, and a dispatch that jumps to the target as a plain call
   would. Both pointers lie in .00cfg, a read-only section. */

__attribute__((naked)) static void guardCheckDefault(void) { __asm__("ret"); }

__attribute__((naked)) static void guardDispatchDefault(void) { __asm__("jmp *%rax"); }

__attribute__((section(".00cfg"), used)) void (*const __guard_check_icall_fptr)(void) = guardCheckDefault;
__attribute__((section(".00cfg"), used)) void (*const __guard_dispatch_icall_fptr)(void) = guardDispatchDefault;

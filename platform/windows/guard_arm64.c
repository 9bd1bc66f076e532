/* Control Flow Guard's pointer on ARM64, for C runtimes that have none. Code
   compiled with the guard checks a target in x15 through
   __guard_check_icall_fptr, then calls it itself. Windows points it at its own
   check when the process has the guard on; elsewhere (Wine) this default
   runs: a check that passes, leaving every argument register and x15 as they
   were. The pointer lies in .00cfg, a read-only section. */

__attribute__((naked)) static void guardCheckDefault(void) { __asm__("ret"); }

__attribute__((section(".00cfg"), used)) void (*const __guard_check_icall_fptr)(void) = guardCheckDefault;

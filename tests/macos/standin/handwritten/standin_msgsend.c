/* The stand-in objc_msgSend: as on a Mac, an assembly trampoline with no type
 * of its own, so callers reach it through pointers of the method's exact type
 * and no sanitizer sees a mismatched call. It jumps to standin_send with the
 * receiver, selector and any argument still in place (x86-64: rdi, rsi,
 * rdx); every message the probes send returns a pointer, an integer or
 * nothing, which rax serves. */

__asm__(
    "    .text\n"
    "    .globl objc_msgSend\n"
    "    .type objc_msgSend, @function\n"
    "objc_msgSend:\n"
    "    jmp standin_send@PLT\n"
    "    .size objc_msgSend, . - objc_msgSend\n");

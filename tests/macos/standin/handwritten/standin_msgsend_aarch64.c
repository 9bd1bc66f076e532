/* The stand-in objc_msgSend for aarch64, as standin_msgsend.c is for x86-64:
 * a branch to standin_send with the receiver, selector and any argument
 * still in x0, x1 and x2; the pointer or integer it answers comes back in x0. */

__asm__(
    "    .text\n"
    "    .globl objc_msgSend\n"
    "    .type objc_msgSend, %function\n"
    "objc_msgSend:\n"
    "    b standin_send\n"
    "    .size objc_msgSend, . - objc_msgSend\n");

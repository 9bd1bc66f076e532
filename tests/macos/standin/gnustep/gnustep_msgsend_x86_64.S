/* objc_msgSend for GCC's Objective-C runtime on x86-64, which only offers
 * objc_msg_lookup(receiver, selector). The method's arguments are still in
 * their registers, so they are kept across the look-up (rdi, rsi, rdx, rcx,
 * r8, r9, xmm0-7, and rax, which holds the vector register count of a
 * variadic call), then the trampoline jumps to the method, which returns to
 * the caller. A nil receiver answers 0 in every return register. The CFI
 * lets an Objective-C exception unwind through it into C++. */

    .text
    .globl objc_msgSend
    .type objc_msgSend, @function
    .p2align 4
objc_msgSend:
    .cfi_startproc
    testq %rdi, %rdi
    jz .Lnil_receiver

    /* 8 vector and 7 general registers; entered at 8 mod 16, so the call
     * below is made at a 16-byte boundary. */
    subq $184, %rsp
    .cfi_adjust_cfa_offset 184
    movdqa %xmm0, 0(%rsp)
    movdqa %xmm1, 16(%rsp)
    movdqa %xmm2, 32(%rsp)
    movdqa %xmm3, 48(%rsp)
    movdqa %xmm4, 64(%rsp)
    movdqa %xmm5, 80(%rsp)
    movdqa %xmm6, 96(%rsp)
    movdqa %xmm7, 112(%rsp)
    movq %rdi, 128(%rsp)
    movq %rsi, 136(%rsp)
    movq %rdx, 144(%rsp)
    movq %rcx, 152(%rsp)
    movq %r8, 160(%rsp)
    movq %r9, 168(%rsp)
    movq %rax, 176(%rsp)

    call objc_msg_lookup@PLT
    movq %rax, %r11

    movdqa 0(%rsp), %xmm0
    movdqa 16(%rsp), %xmm1
    movdqa 32(%rsp), %xmm2
    movdqa 48(%rsp), %xmm3
    movdqa 64(%rsp), %xmm4
    movdqa 80(%rsp), %xmm5
    movdqa 96(%rsp), %xmm6
    movdqa 112(%rsp), %xmm7
    movq 128(%rsp), %rdi
    movq 136(%rsp), %rsi
    movq 144(%rsp), %rdx
    movq 152(%rsp), %rcx
    movq 160(%rsp), %r8
    movq 168(%rsp), %r9
    movq 176(%rsp), %rax
    addq $184, %rsp
    .cfi_adjust_cfa_offset -184
    jmp *%r11

.Lnil_receiver:
    xorl %eax, %eax
    xorl %edx, %edx
    pxor %xmm0, %xmm0
    pxor %xmm1, %xmm1
    ret
    .cfi_endproc
    .size objc_msgSend, . - objc_msgSend

    .section .note.GNU-stack, "", @progbits

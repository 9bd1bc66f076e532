/* Which processor this program was built for, and which one Windows says the
   machine has: what shows that a test ran the architecture it meant to. */
#include <windows.h>

#include <stdio.h>

int main(void) {
#if defined(__aarch64__) || defined(_M_ARM64)
    const char* built = "arm64";
#elif defined(__x86_64__) || defined(_M_X64)
    const char* built = "x64";
#else
    const char* built = "other";
#endif
    SYSTEM_INFO info;
    GetNativeSystemInfo(&info);
    const WORD machine = info.wProcessorArchitecture;
    printf("built for %s, running on %s\n", built,
           machine == PROCESSOR_ARCHITECTURE_ARM64   ? "arm64"
           : machine == PROCESSOR_ARCHITECTURE_AMD64 ? "x64"
                                                     : "other");
    return 0;
}

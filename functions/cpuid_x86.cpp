// The CPUID instruction itself; the only place where the compiler matters.
#include "cpu_brand.h"

#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif

CpuidRegisters executeCpuid(std::uint32_t leaf) {
#if defined(_MSC_VER)
    int regs[4];
    __cpuidex(regs, static_cast<int>(leaf), 0);
    return {static_cast<std::uint32_t>(regs[0]), static_cast<std::uint32_t>(regs[1]),
            static_cast<std::uint32_t>(regs[2]), static_cast<std::uint32_t>(regs[3])};
#else
    CpuidRegisters regs{};
    __cpuid_count(leaf, 0, regs.eax, regs.ebx, regs.ecx, regs.edx);
    return regs;
#endif
}

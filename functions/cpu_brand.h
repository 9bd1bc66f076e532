// The processor brand text, read through the CPUID brand-string leaves.
#pragma once

#include <cstdint>
#include <string>

struct CpuidRegisters {
    std::uint32_t eax;
    std::uint32_t ebx;
    std::uint32_t ecx;
    std::uint32_t edx;
};

// Executes CPUID for `leaf` with ECX = 0.
using CpuidFunction = CpuidRegisters (*)(std::uint32_t leaf);

// The processor's own CPUID instruction.
CpuidRegisters executeCpuid(std::uint32_t leaf);

// Brand text from the three brand leaves the processor has, as read: up to the
// first zero byte, at most 48 characters, leading blanks kept.
std::string cpuBrandFrom(CpuidFunction cpuid);

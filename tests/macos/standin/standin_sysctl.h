// sysctl and sysctlbyname as the macOS SDK declares them, with the one
// numbered name the probes read. Linux has neither, so both runtimes under the
// probe tests and the aarch64 build share these stand-ins (sysctl in
// standin_machine.cpp; sysctlbyname, which the arm64 slice's brand asks, in
// standin_sysctlbyname.cpp).
#pragma once

#include <cstddef>

#define CTL_HW 6
#define HW_MEMSIZE 24

extern "C" int sysctl(int* name, unsigned int nameLength, void* oldValue, std::size_t* oldLength,
                      void* newValue, std::size_t newLength);
extern "C" int sysctlbyname(const char* name, void* oldValue, std::size_t* oldLength, void* newValue,
                            std::size_t newLength);

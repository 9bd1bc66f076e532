// sysctl as the macOS SDK declares it, with the one name the probes read.
// Linux has neither, so both runtimes under the probe tests share this
// stand-in (standin_machine.cpp).
#pragma once

#include <cstddef>

#define CTL_HW 6
#define HW_MEMSIZE 24

extern "C" int sysctl(int* name, unsigned int nameLength, void* oldValue, std::size_t* oldLength,
                      void* newValue, std::size_t newLength);

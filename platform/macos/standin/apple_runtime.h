// Stand-in for the Apple interfaces the macOS probes call, for builds where the
// real ones are absent (the Linux tests). Same names, C linkage and shapes as
// the system's; what they answer is set through standin_control.h.
#pragma once

#include <cstddef>

typedef struct objc_object* id;
typedef struct objc_selector* SEL;
typedef struct objc_class* Class;

#define CTL_HW 6
#define HW_MEMSIZE 24

extern "C" {

Class objc_getClass(const char* name);
SEL sel_registerName(const char* name);
// Declared without parameters, as the system declares it: callers cast it to
// the exact type of the method they reach.
void objc_msgSend(void);

id MTLCreateSystemDefaultDevice(void);

int sysctl(int* name, unsigned int nameLength, void* oldValue, std::size_t* oldLength,
           void* newValue, std::size_t newLength);
int sysctlbyname(const char* name, void* oldValue, std::size_t* oldLength, void* newValue,
                 std::size_t newLength);

}  // extern "C"

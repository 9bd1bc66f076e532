// The Apple interfaces the macOS probes call, for builds with no Objective-C
// runtime to test on (standin_runtime.cpp answers them). Same names, C linkage
// and shapes as the system's; sysctl is the stand-in both runtimes share.
#pragma once

#include "../standin_sysctl.h"

typedef struct objc_object* id;
typedef struct objc_selector* SEL;
typedef struct objc_class* Class;
typedef signed char BOOL;  // as on x86-64 Macs; the runtime answers 0 or 1 in a whole register

extern "C" {

Class objc_getClass(const char* name);
SEL sel_registerName(const char* name);
// Declared without parameters, as the system declares it: callers cast it to
// the exact type of the method they reach.
void objc_msgSend(void);

id MTLCreateSystemDefaultDevice(void);
id MTLCopyAllDevices(void);

}  // extern "C"

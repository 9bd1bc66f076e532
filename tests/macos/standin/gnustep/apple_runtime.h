// The Apple interfaces the macOS probes call, on GCC's Objective-C runtime:
// its own headers for the runtime, a trampoline for objc_msgSend, the Metal
// test device and the shared sysctl stand-in for the rest.
#pragma once

#include <objc/message.h>
#include <objc/runtime.h>

#include "../standin_sysctl.h"

extern "C" {

// GCC's runtime looks methods up (objc_msg_lookup) but has no objc_msgSend;
// gnustep_msgsend_x86_64.S supplies it. Declared without parameters, as the
// system declares it: callers cast it to the exact type of the method.
void objc_msgSend(void);

// Answered by the test devices in gnustep_metal.cpp.
id MTLCreateSystemDefaultDevice(void);
id MTLCopyAllDevices(void);

}  // extern "C"

// The Apple interfaces the macOS probes call, from the system's own headers.
// Metal's header is Objective-C, so its two C functions are declared here.
#pragma once

#include <objc/message.h>
#include <objc/runtime.h>
#include <sys/sysctl.h>

// Returns the default device with a +1 reference, or nil when there is none.
extern "C" id MTLCreateSystemDefaultDevice(void);
// Returns an NSArray of every Metal device with a +1 reference, maybe empty.
extern "C" id MTLCopyAllDevices(void);

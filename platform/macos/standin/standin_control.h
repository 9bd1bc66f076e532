// Levers and records of the macOS stand-in layer: tests set what the stand-in
// machine answers and read which calls the probes made, in order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace standin {

struct Machine {
    bool sysctlFails = false;  // sysctl returns -1 and writes nothing
    std::int64_t memoryBytes = std::int64_t{16} << 30;
    bool hasDevice = true;      // MTLCreateSystemDefaultDevice answers nil when false
    bool deviceHasName = true;  // `name` answers nil when false
    // What `UTF8String` hands out (at most 511 bytes); null: it answers NULL.
    const char* deviceName = "Stand-in GPU";
};

// The arguments of the latest sysctl call, as the stand-in received them.
struct SysctlCall {
    int name[2] = {0, 0};
    unsigned int nameLength = 0;
    std::size_t oldLengthGiven = 0;
    bool oldValueGiven = false;
    bool newValueGiven = false;
    std::size_t newLength = 0;
};

struct Record {
    // In call order: "sysctl", "pool alloc", "pool init", "device", "name",
    // "UTF8String", "device release", "pool release". Recording never
    // allocates, so tests can fail any allocation of the library's own.
    const char* calls[32] = {};
    int callCount = 0;
    SysctlCall sysctl;
    int poolsCreated = 0;
    int poolsReleased = 0;
    int devicesCreated = 0;
    int devicesReleased = 0;
    bool deviceCreatedInsidePool = false;
    bool nameAskedInsidePool = false;
    // Calls the system would refuse or that would crash on a Mac: a second
    // open pool, an unknown class or message, a message to a released object,
    // a sysctl name other than hw.memsize.
    int faults = 0;
};

extern Machine machine;
extern Record record;

// Called as the pool receives `release`, before it drains.
extern void (*onPoolRelease)();

// Back to a machine with a named device and 16 GiB, nothing recorded.
void reset();

}  // namespace standin

// Levers and records of the machine the macOS probe tests run on, the same
// whichever object runtime is under them (gnustep/ or handwritten/): tests set
// what the machine answers and read what the probes left behind.
#pragma once

#include <cstddef>
#include <cstdint>

namespace standin {

// A device in the list that MTLCopyAllDevices answers.
struct ListedDevice {
    const char* name;  // its name's UTF-8 bytes
    bool lowPower;     // the integrated GPU of a Mac with two
};

struct Machine {
    bool sysctlFails = false;  // sysctl returns -1 and writes nothing
    std::int64_t memoryBytes = std::int64_t{16} << 30;
    bool hasDevice = true;      // MTLCreateSystemDefaultDevice answers nil when false
    bool deviceHasName = true;  // `name` answers nil when false
    // The name's UTF-8 bytes (the hand-written runtime keeps at most 511);
    // null: a name that UTF-8 cannot encode, so `UTF8String` answers NULL.
    const char* deviceName = "Stand-in GPU";
    // What MTLCopyAllDevices lists, in order; empty by default.
    ListedDevice listed[3] = {};
    int listedCount = 0;
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

// Recording never allocates, so tests can fail any allocation of the
// library's own.
struct Record {
    SysctlCall sysctl;
    int devicesCreated = 0;
    int listsCopied = 0;
    bool deviceCreatedInsidePool = false;
    // Drains of the pool that was open when the device was asked for.
    int poolDrains = 0;
    // Calls the system would refuse or that would crash on a Mac: a sysctl
    // name other than hw.memsize; on the GNU runtime any Objective-C exception
    // (an unknown message among them); with the hand-written runtime a second
    // open pool, an unknown class or message, a message to a released object.
    int faults = 0;
};

extern Machine machine;
extern Record record;

// Called as that pool drains, before the objects in it go.
extern void (*onPoolRelease)();

// Back to a machine with a named device and 16 GiB, nothing recorded.
void reset();

// What the runtime holds now (devices, and device lists); never reset, so
// whatever a call leaves behind shows in every later test too.
int devicesAlive();
bool poolOpen();

}  // namespace standin

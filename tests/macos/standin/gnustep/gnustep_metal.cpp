// MTLCreateSystemDefaultDevice and MTLCopyAllDevices on the GNU runtime,
// answering from the test levers, and what the runtime tells about live devices and open pools. The
// device and the pool witness are Objective-C objects (gnustep_metal_device.m).
#include "apple_runtime.h"
#include "standin_control.h"

extern "C" {
id standin_gnustep_new_device(int named, const char* utf8Name);
id standin_gnustep_new_device_list(int count, const char* const* names, const int* lowPower);
int standin_gnustep_devices_alive(void);
int standin_gnustep_pool_open(void);
int standin_gnustep_watch_pool(void (*drained)(void));
}

namespace {
void poolDrained() {
    ++standin::record.poolDrains;
    if (standin::onPoolRelease != nullptr) standin::onPoolRelease();
}
}  // namespace

extern "C" void standin_gnustep_exception_raised(void) { ++standin::record.faults; }

extern "C" id MTLCreateSystemDefaultDevice(void) {
    standin::record.deviceCreatedInsidePool = standin_gnustep_watch_pool(poolDrained) != 0;
    if (!standin::machine.hasDevice) return nullptr;
    ++standin::record.devicesCreated;
    return standin_gnustep_new_device(standin::machine.deviceHasName, standin::machine.deviceName);
}

extern "C" id MTLCopyAllDevices(void) {
    ++standin::record.listsCopied;
    const char* names[3];
    int lowPower[3];
    for (int i = 0; i < standin::machine.listedCount; ++i) {
        names[i] = standin::machine.listed[i].name;
        lowPower[i] = standin::machine.listed[i].lowPower ? 1 : 0;
    }
    return standin_gnustep_new_device_list(standin::machine.listedCount, names, lowPower);
}

namespace standin {
int devicesAlive() { return standin_gnustep_devices_alive(); }
bool poolOpen() { return standin_gnustep_pool_open() != 0; }
}  // namespace standin

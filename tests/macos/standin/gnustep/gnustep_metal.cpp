// MTLCreateSystemDefaultDevice on the GNU runtime, answering from the test
// levers, and what the runtime tells about live devices and open pools. The
// device and the pool witness are Objective-C objects (gnustep_metal_device.m).
#include "apple_runtime.h"
#include "standin_control.h"

extern "C" {
id standin_gnustep_new_device(int named, const char* utf8Name);
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

namespace standin {
int devicesAlive() { return standin_gnustep_devices_alive(); }
bool poolOpen() { return standin_gnustep_pool_open() != 0; }
}  // namespace standin

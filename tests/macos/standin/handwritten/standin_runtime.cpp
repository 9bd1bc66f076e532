// A hand-written object runtime for targets with no GNUstep to test on (no
// aarch64 packages here): just enough of libobjc, NSAutoreleasePool, NSString
// and a Metal device for the probes' messages, all in static storage. It
// answers from standin::machine, refuses anything else as a fault, and
// scribbles over the name's bytes when the pool or the device goes, so a copy
// made too late shows.
#include <cstring>

#include "apple_runtime.h"
#include "standin_control.h"

namespace {

using standin::record;

// Objects are told apart by address; their contents are never read.
struct StandinObject {
    char unused;
};
StandinObject poolClass;
StandinObject pool;
StandinObject device;
StandinObject nameString;

bool poolOpen = false;
bool deviceAlive = false;
char nameBytes[512];

const char* const kSelectors[] = {"alloc", "init", "release", "name", "UTF8String"};
const char kUnknownSelector[] = "?";

void scribbleName() { std::memset(nameBytes, '#', sizeof nameBytes - 1); }

bool is(void* selector, const char* name) {
    return std::strcmp(static_cast<const char*>(selector), name) == 0;
}

void* fault() {
    ++record.faults;
    return nullptr;
}

void* receivePoolClassMessage(void* selector) {
    return is(selector, "alloc") && !poolOpen ? &pool : fault();
}

void* receivePoolMessage(void* selector) {
    if (is(selector, "init") && !poolOpen) {
        poolOpen = true;
        return &pool;
    }
    if (!is(selector, "release") || !poolOpen) return fault();
    if (standin::onPoolRelease != nullptr) standin::onPoolRelease();
    ++record.poolDrains;
    poolOpen = false;
    scribbleName();
    return nullptr;
}

void* receiveDeviceMessage(void* selector) {
    if (!deviceAlive) return fault();
    if (is(selector, "name")) return standin::machine.deviceHasName ? &nameString : nullptr;
    if (!is(selector, "release")) return fault();
    deviceAlive = false;
    scribbleName();
    return nullptr;
}

void* receiveNameMessage(void* selector) {
    if (!is(selector, "UTF8String") || !deviceAlive || !poolOpen) return fault();
    const char* text = standin::machine.deviceName;
    if (text == nullptr) return nullptr;
    std::strncpy(nameBytes, text, sizeof nameBytes - 1);
    nameBytes[sizeof nameBytes - 1] = '\0';
    return nameBytes;
}

}  // namespace

namespace standin {
int devicesAlive() { return deviceAlive ? 1 : 0; }
bool poolOpen() { return ::poolOpen; }
}  // namespace standin

// Where the objc_msgSend trampoline lands. A message to nil answers nil, as
// the real runtime's does.
extern "C" void* standin_send(void* receiver, void* selector) {
    if (receiver == nullptr) return nullptr;
    if (receiver == &poolClass) return receivePoolClassMessage(selector);
    if (receiver == &pool) return receivePoolMessage(selector);
    if (receiver == &device) return receiveDeviceMessage(selector);
    if (receiver == &nameString) return receiveNameMessage(selector);
    return fault();
}

extern "C" Class objc_getClass(const char* name) {
    if (std::strcmp(name, "NSAutoreleasePool") == 0) return reinterpret_cast<Class>(&poolClass);
    fault();
    return nullptr;
}

// Selectors are the interned names themselves; an unknown one is kept apart
// so that sending it counts as a fault.
extern "C" SEL sel_registerName(const char* name) {
    for (const char* known : kSelectors) {
        if (std::strcmp(known, name) == 0) return reinterpret_cast<SEL>(const_cast<char*>(known));
    }
    return reinterpret_cast<SEL>(const_cast<char*>(kUnknownSelector));
}

extern "C" id MTLCreateSystemDefaultDevice(void) {
    record.deviceCreatedInsidePool = poolOpen;
    if (!standin::machine.hasDevice) return nullptr;
    if (deviceAlive) fault();  // the previous call's device was never released
    ++record.devicesCreated;
    deviceAlive = true;
    return reinterpret_cast<id>(&device);
}

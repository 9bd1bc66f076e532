// A hand-written object runtime for targets with no GNUstep to test on (no
// aarch64 packages here): just enough of libobjc, NSAutoreleasePool, NSString,
// NSArray and Metal's devices for the probes' messages, all in static storage.
// It answers from standin::machine, refuses anything else as a fault, and
// scribbles over the names' bytes when the pool or their device goes, so a
// copy made too late shows.
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
StandinObject deviceList;

// Device 0 is the default device; 1 on are the listed ones, which belong to
// the list. Each has its name string.
constexpr int kDevices = 1 + sizeof standin::Machine{}.listed / sizeof(standin::ListedDevice);
StandinObject devices[kDevices];
StandinObject names[kDevices];
bool alive[kDevices];
char nameBytes[kDevices][512];

bool poolOpen = false;
bool listAlive = false;

const char* const kSelectors[] = {"alloc", "init", "release", "name", "UTF8String",
                                  "count", "objectAtIndex:", "isLowPower"};
const char kUnknownSelector[] = "?";

void scribble(int device) { std::memset(nameBytes[device], '#', sizeof nameBytes[device] - 1); }
void scribbleAll() {
    for (int device = 0; device < kDevices; ++device) scribble(device);
}

bool is(void* selector, const char* name) {
    return std::strcmp(static_cast<const char*>(selector), name) == 0;
}

void* fault() {
    ++record.faults;
    return nullptr;
}

// Which of `objects` the receiver is, or -1.
int indexIn(const StandinObject* objects, const void* receiver) {
    for (int i = 0; i < kDevices; ++i) {
        if (receiver == &objects[i]) return i;
    }
    return -1;
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
    scribbleAll();
    return nullptr;
}

void* receiveListMessage(void* selector, unsigned long argument) {
    const unsigned long count = static_cast<unsigned long>(standin::machine.listedCount);
    if (!listAlive) return fault();
    if (is(selector, "count")) return reinterpret_cast<void*>(count);
    if (is(selector, "objectAtIndex:")) return argument < count ? &devices[1 + argument] : fault();
    if (!is(selector, "release")) return fault();
    listAlive = false;
    for (int device = 1; device < kDevices; ++device) {
        alive[device] = false;
        scribble(device);
    }
    return nullptr;
}

void* receiveDeviceMessage(int device, void* selector) {
    if (!alive[device]) return fault();
    if (is(selector, "name")) return device > 0 || standin::machine.deviceHasName ? &names[device] : nullptr;
    if (is(selector, "isLowPower") && device > 0) {
        return reinterpret_cast<void*>(standin::machine.listed[device - 1].lowPower ? 1ul : 0ul);
    }
    // Only the default device is the caller's to release; a listed one is the list's.
    if (!is(selector, "release") || device > 0) return fault();
    alive[device] = false;
    scribble(device);
    return nullptr;
}

void* receiveNameMessage(int device, void* selector) {
    if (!is(selector, "UTF8String") || !alive[device] || !poolOpen) return fault();
    const char* text = device == 0 ? standin::machine.deviceName : standin::machine.listed[device - 1].name;
    if (text == nullptr) return nullptr;
    std::strncpy(nameBytes[device], text, sizeof nameBytes[device] - 1);
    nameBytes[device][sizeof nameBytes[device] - 1] = '\0';
    return nameBytes[device];
}

}  // namespace

namespace standin {
int devicesAlive() {
    int count = listAlive ? 1 : 0;
    for (bool isAlive : alive) count += isAlive ? 1 : 0;
    return count;
}
bool poolOpen() { return ::poolOpen; }
}  // namespace standin

// Where the objc_msgSend trampoline lands, with the message's first argument
// (if it has one) in place. A message to nil answers nil, as the real
// runtime's does.
extern "C" void* standin_send(void* receiver, void* selector, unsigned long argument) {
    if (receiver == nullptr) return nullptr;
    if (receiver == &poolClass) return receivePoolClassMessage(selector);
    if (receiver == &pool) return receivePoolMessage(selector);
    if (receiver == &deviceList) return receiveListMessage(selector, argument);
    if (const int device = indexIn(devices, receiver); device >= 0) return receiveDeviceMessage(device, selector);
    if (const int device = indexIn(names, receiver); device >= 0) return receiveNameMessage(device, selector);
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
    if (alive[0]) fault();  // the previous call's device was never released
    ++record.devicesCreated;
    alive[0] = true;
    return reinterpret_cast<id>(&devices[0]);
}

extern "C" id MTLCopyAllDevices(void) {
    if (listAlive) fault();  // the previous call's list was never released
    ++record.listsCopied;
    listAlive = true;
    for (int device = 1; device <= standin::machine.listedCount; ++device) alive[device] = true;
    return reinterpret_cast<id>(&deviceList);
}

// The stand-in Apple runtime behind apple_runtime.h: sysctl, the class and
// selector look-ups, the receiving end of objc_msgSend, an autorelease pool
// and a Metal device, all in static storage. It answers from
// standin::machine and records every call in standin::record.
#include <cerrno>
#include <cstring>

#include "apple_runtime.h"
#include "standin_control.h"

namespace standin {
Machine machine;
Record record;
void (*onPoolRelease)() = nullptr;
}  // namespace standin

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

// The UTF-8 bytes of the name, which belong to the pool and to the device:
// they are scribbled over when either goes, so a copy made too late shows.
char nameBytes[512];

const char* const kSelectors[] = {"alloc", "init", "release", "name", "UTF8String"};
const char kUnknownSelector[] = "?";

void note(const char* call) {
    if (record.callCount < static_cast<int>(sizeof record.calls / sizeof record.calls[0])) {
        record.calls[record.callCount] = call;
    }
    ++record.callCount;
}

void scribbleName() { std::memset(nameBytes, '#', sizeof nameBytes - 1); }

bool is(void* selector, const char* name) {
    return std::strcmp(static_cast<const char*>(selector), name) == 0;
}

void* receivePoolClassMessage(void* selector) {
    if (!is(selector, "alloc") || poolOpen) {
        ++record.faults;
        return nullptr;
    }
    note("pool alloc");
    return &pool;
}

void* receivePoolMessage(void* selector) {
    if (is(selector, "init")) {
        note("pool init");
        ++record.poolsCreated;
        poolOpen = true;
        return &pool;
    }
    if (is(selector, "release") && poolOpen) {
        note("pool release");
        if (standin::onPoolRelease != nullptr) standin::onPoolRelease();
        ++record.poolsReleased;
        poolOpen = false;
        scribbleName();
        return nullptr;
    }
    ++record.faults;
    return nullptr;
}

void* receiveDeviceMessage(void* selector) {
    if (!deviceAlive) {
        ++record.faults;
        return nullptr;
    }
    if (is(selector, "name")) {
        note("name");
        record.nameAskedInsidePool = poolOpen;
        return standin::machine.deviceHasName ? &nameString : nullptr;
    }
    if (is(selector, "release")) {
        note("device release");
        ++record.devicesReleased;
        deviceAlive = false;
        scribbleName();
        return nullptr;
    }
    ++record.faults;
    return nullptr;
}

void* receiveNameMessage(void* selector) {
    if (!is(selector, "UTF8String") || !deviceAlive || !poolOpen) {
        ++record.faults;
        return nullptr;
    }
    note("UTF8String");
    const char* text = standin::machine.deviceName;
    if (text == nullptr) return nullptr;
    std::strncpy(nameBytes, text, sizeof nameBytes - 1);
    nameBytes[sizeof nameBytes - 1] = '\0';
    return nameBytes;
}

}  // namespace

namespace standin {
void reset() {
    machine = Machine{};
    record = Record{};
    onPoolRelease = nullptr;
    poolOpen = false;
    deviceAlive = false;
    scribbleName();
}
}  // namespace standin

// Where the objc_msgSend trampoline lands. A message to nil answers nil, as
// the real runtime's does.
extern "C" void* standin_send(void* receiver, void* selector) {
    if (receiver == nullptr) return nullptr;
    if (receiver == &poolClass) return receivePoolClassMessage(selector);
    if (receiver == &pool) return receivePoolMessage(selector);
    if (receiver == &device) return receiveDeviceMessage(selector);
    if (receiver == &nameString) return receiveNameMessage(selector);
    ++record.faults;
    return nullptr;
}

extern "C" Class objc_getClass(const char* name) {
    if (std::strcmp(name, "NSAutoreleasePool") == 0) return reinterpret_cast<Class>(&poolClass);
    ++record.faults;
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
    note("device");
    record.deviceCreatedInsidePool = poolOpen;
    if (!standin::machine.hasDevice) return nullptr;
    if (deviceAlive) ++record.faults;  // the previous call's device was never released
    ++record.devicesCreated;
    deviceAlive = true;
    return reinterpret_cast<id>(&device);
}

// Answers hw.memsize only, like a kernel that knows nothing else.
extern "C" int sysctl(int* name, unsigned int nameLength, void* oldValue, std::size_t* oldLength,
                      void* newValue, std::size_t newLength) {
    note("sysctl");
    standin::SysctlCall& call = record.sysctl;
    call = standin::SysctlCall{};
    call.nameLength = nameLength;
    for (unsigned int i = 0; i < nameLength && i < 2; ++i) call.name[i] = name[i];
    call.oldValueGiven = oldValue != nullptr;
    call.oldLengthGiven = oldLength != nullptr ? *oldLength : 0;
    call.newValueGiven = newValue != nullptr;
    call.newLength = newLength;

    const bool memsize = nameLength == 2 && name[0] == CTL_HW && name[1] == HW_MEMSIZE;
    if (!memsize || newValue != nullptr || newLength != 0) {
        ++record.faults;
        errno = EINVAL;
        return -1;
    }
    if (standin::machine.sysctlFails) {
        errno = EIO;
        return -1;
    }
    const std::int64_t bytes = standin::machine.memoryBytes;
    if (oldValue == nullptr || oldLength == nullptr || *oldLength < sizeof bytes) {
        errno = ENOMEM;
        return -1;
    }
    std::memcpy(oldValue, &bytes, sizeof bytes);
    *oldLength = sizeof bytes;
    return 0;
}

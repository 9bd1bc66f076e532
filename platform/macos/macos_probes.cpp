// macOS probes: the processor count from the C++ runtime, physical memory from
// sysctl, and a Metal device's name (the default device's, else one from the
// system's device list) read inside an autorelease pool that the frame closes
// once the result is stored. Prints nothing.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>

// The SDK's declarations on a Mac, their stand-in in the Linux tests: CMake
// picks the folder this comes from.
#include "apple_runtime.h"

#include "../../functions/platform_probes.h"
#include "../../functions/report.h"

namespace platform {

namespace {

// objc_msgSend takes on the signature of the method it reaches, so each kind
// of message is sent through a pointer of exactly that type.
id sendForObject(id receiver, const char* selector) {
    using Send = id (*)(id, SEL);
    return reinterpret_cast<Send>(&objc_msgSend)(receiver, sel_registerName(selector));
}

const char* sendForText(id receiver, const char* selector) {
    using Send = const char* (*)(id, SEL);
    return reinterpret_cast<Send>(&objc_msgSend)(receiver, sel_registerName(selector));
}

// The count of an NSArray is an NSUInteger, unsigned long on every Mac.
unsigned long sendForCount(id receiver) {
    using Send = unsigned long (*)(id, SEL);
    return reinterpret_cast<Send>(&objc_msgSend)(receiver, sel_registerName("count"));
}

id sendForObjectAt(id array, unsigned long index) {
    using Send = id (*)(id, SEL, unsigned long);
    return reinterpret_cast<Send>(&objc_msgSend)(array, sel_registerName("objectAtIndex:"), index);
}

bool sendForFlag(id receiver, const char* selector) {
    using Send = BOOL (*)(id, SEL);
    return reinterpret_cast<Send>(&objc_msgSend)(receiver, sel_registerName(selector)) != 0;
}

void sendRelease(id receiver) {
    using Send = void (*)(id, SEL);
    reinterpret_cast<Send>(&objc_msgSend)(receiver, sel_registerName("release"));
}

// The CallScope deleter: drains the pool, and with it the device's name.
void releasePool(void* pool) { sendRelease(static_cast<id>(pool)); }

struct ReleaseObject {
    void operator()(id object) const { sendRelease(object); }
};
using OwnedObject = std::unique_ptr<std::remove_pointer_t<id>, ReleaseObject>;

// A device's name as UTF-8, copied; empty when it has none or no UTF-8 form.
std::string nameOf(id device) {
    const id name = device != nullptr ? sendForObject(device, "name") : nullptr;
    const char* bytes = name != nullptr ? sendForText(name, "UTF8String") : nullptr;
    return bytes != nullptr ? std::string(bytes) : std::string();
}

// From the system's list: the first device that is not low-power (the discrete
// GPU of a Mac with two), else the first; nil for an empty list.
id preferredListedDevice(id devices) {
    const unsigned long count = devices != nullptr ? sendForCount(devices) : 0;
    for (unsigned long index = 0; index < count; ++index) {
        const id device = sendForObjectAt(devices, index);
        if (device != nullptr && !sendForFlag(device, "isLowPower")) return device;
    }
    return count > 0 ? sendForObjectAt(devices, 0) : nullptr;
}

}  // namespace

void announceBrand(const std::string&) {}

std::uint32_t logicalProcessorCount() {
    // 0 when the runtime cannot tell; it stands as 0 in the report.
    return std::thread::hardware_concurrency();
}

std::string totalMemoryMiB() {
    // hw.memsize: physical memory in bytes, a 64-bit value.
    int name[2] = {CTL_HW, HW_MEMSIZE};
    // Starts at 0 so that a failed call, which writes nothing, reports 0;
    // the return value therefore needs no check.
    std::int64_t bytes = 0;
    std::size_t length = sizeof bytes;
    sysctl(name, 2, &bytes, &length, nullptr, 0);
    return std::to_string(narrowedMibFromSignedBytes(bytes));
}

std::string graphicsDeviceName(CallScope& scope) {
    // The device's name and its UTF-8 bytes are autoreleased into this pool.
    // The frame keeps the scope to the end of the call, so the pool is
    // released after the result is stored, and on every way out.
    const id poolClass = reinterpret_cast<id>(objc_getClass("NSAutoreleasePool"));
    const id pool = sendForObject(sendForObject(poolClass, "alloc"), "init");
    scope = CallScope(pool, releasePool);

    // The creator owns the device (+1); nothing keeps it past this call. The
    // name is copied before `device` goes, on the success path and when the
    // copy throws.
    {
        const OwnedObject device(MTLCreateSystemDefaultDevice());
        std::string name = nameOf(device.get());
        if (!name.empty()) return name;
    }
    // No default device where the GPU is there all the same: processes without
    // a window server session (ssh, launchd, CI runners) and some Macs at their
    // console. The list is ours (+1) and its devices are the list's.
    const OwnedObject devices(MTLCopyAllDevices());
    return nameOf(preferredListedDevice(devices.get()));
}

}  // namespace platform

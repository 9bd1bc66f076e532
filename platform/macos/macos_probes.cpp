// macOS probes: the processor count from the C++ runtime, physical memory from
// sysctl, and the default Metal device's name read inside an autorelease pool
// that the frame closes once the result is stored. Prints nothing.
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

    // The creator owns the device (+1); nothing keeps it past this call.
    const OwnedObject device(MTLCreateSystemDefaultDevice());
    if (!device) return std::string();
    const id name = sendForObject(device.get(), "name");
    if (name == nullptr) return std::string();
    const char* bytes = sendForText(name, "UTF8String");
    if (bytes == nullptr) return std::string();
    // Copied before `device` goes, on the success path and when the copy throws.
    return std::string(bytes);
}

}  // namespace platform

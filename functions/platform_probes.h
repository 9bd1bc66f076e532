// The seam between the portable frame and one platform's probes. Each build
// links exactly one implementation (platform/<name>/), chosen by CMake; the
// brand's source goes with the processor instead (see processorBrand).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Whatever a platform must keep open until the result block has been stored
// (macOS: the autorelease pool that owns the device name). Empty elsewhere.
using CallScope = std::unique_ptr<void, void (*)(void*)>;

inline CallScope emptyCallScope() {
    return CallScope(nullptr, [](void*) {});
}

// The processor's brand text, empty when the processor does not say. CMake
// links one source per processor and system: the CPUID walk
// (functions/cpuid_brand.cpp) on x86-64 Linux; on macOS and Windows the
// platform's own (platform/<name>/), which names the machine's processor
// where CPUID cannot: sysctl's machdep.cpu.brand_string, the registry's
// ProcessorNameString.
std::string processorBrand();

// Called once the brand has been read (Windows echoes it to the console).
void announceBrand(const std::string& cpuBrand);

// Logical processors available; 0 when the platform cannot tell.
std::uint32_t logicalProcessorCount();

// Total physical memory in MiB as the report's last field. A failed query
// gives "0", never an uninitialised figure.
std::string totalMemoryMiB();

// The graphics device's name, or an empty text when there is none. May open
// `scope` to keep the name's owner alive until the call ends.
std::string graphicsDeviceName(CallScope& scope);

}  // namespace platform

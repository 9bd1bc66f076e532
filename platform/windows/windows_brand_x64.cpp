// The processor's brand in the x64 DLL: CPUID's, except under Windows on Arm's
// x64 emulation (an x64 host, or an ARM64EC one). There CPUID describes the
// emulator's virtual processor, and the machine's own name is the registry's,
// as the ARM64 DLL reports it on the same machine.
#include <windows.h>

#include "../../functions/cpu_brand.h"
#include "../../functions/platform_probes.h"
#include "windows_registry_brand.h"

namespace {

// IsWow64Process2 names the machine's own processor whatever the process
// runs as; GetNativeSystemInfo says AMD64 to an emulated x64 process. It came
// with Windows 10 1709, so it is looked up rather than imported, and the DLL
// still loads on Windows Vista. Missing or failing, the machine is taken as
// what it seems: x64.
bool emulatedOnArm64() {
    using Wow64Process2 = BOOL(WINAPI*)(HANDLE process, USHORT* processMachine, USHORT* nativeMachine);
    constexpr USHORT kArm64 = 0xAA64;  // IMAGE_FILE_MACHINE_ARM64
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return false;
    // Through a plain function pointer, which converts to any other without
    // a warning.
    const auto machinesOf = reinterpret_cast<Wow64Process2>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "IsWow64Process2")));
    USHORT process = 0;
    USHORT native = 0;
    return machinesOf != nullptr && machinesOf(GetCurrentProcess(), &process, &native) != FALSE &&
           native == kArm64;
}

}  // namespace

std::string platform::processorBrand() {
    return emulatedOnArm64() ? registryProcessorName() : cpuBrandFrom(executeCpuid);
}

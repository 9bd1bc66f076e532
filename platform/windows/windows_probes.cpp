// Windows probes: processors and physical memory from the system, the renderer
// through GLFW, else the display adapter's name. The first three probes also
// write their own lines to the console.
#include <windows.h>

#include <cwchar>
#include <cstdio>

#include "../../functions/platform_probes.h"
#include "../../functions/report.h"
#include "../glfw/glfw_renderer.h"
#include "windows_text.h"

namespace platform {

namespace {

// A console line through the C runtime's standard output, in pieces (nothing
// taken from the heap), flushed.
void printLine(const char* label, const std::string& value, const char* unit = "") {
    std::fputs(label, stdout);
    std::fputs(value.c_str(), stdout);
    std::fputs(unit, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The primary display adapter as Windows lists it ("Microsoft Basic Display
// Adapter", "NVIDIA GeForce RTX 3080"); empty when none is marked primary.
std::string primaryAdapterName() {
    DISPLAY_DEVICEW adapter{};
    adapter.cb = sizeof adapter;
    for (DWORD index = 0; EnumDisplayDevicesW(nullptr, index, &adapter, 0); ++index) {
        if ((adapter.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0) {
            const std::size_t capacity = sizeof adapter.DeviceString / sizeof(wchar_t);
            return utf8FromWide(adapter.DeviceString, wcsnlen(adapter.DeviceString, capacity));
        }
    }
    return std::string();
}

// Logical processors of the whole machine. Windows puts them in groups of at
// most 64, and GetSystemInfo counts only the calling thread's group: a machine
// of two groups of 48 would say 48. GetActiveProcessorCount counts every group;
// it came with Windows 7, so it is looked up rather than imported, and the
// DLL still loads on Windows Vista, which has a single group.
std::uint32_t processorsOfAllGroups() {
    using ActiveProcessorCount = DWORD(WINAPI*)(WORD group);
    constexpr WORD kAllProcessorGroups = 0xFFFF;
    if (const HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
        // Through a plain function pointer, which converts to any other
        // without a warning.
        const auto countOf = reinterpret_cast<ActiveProcessorCount>(
            reinterpret_cast<void (*)()>(GetProcAddress(kernel, "GetActiveProcessorCount")));
        if (countOf != nullptr) {
            if (const DWORD all = countOf(kAllProcessorGroups); all != 0) return all;
        }
    }
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
}

}  // namespace

// Each line is flushed: the host's standard output is fully buffered when it
// is a pipe, and these lines must come before anything printed later.
void announceBrand(const std::string& cpuBrand) {
    printLine("CPU Type: ", cpuBrand);
}

std::uint32_t logicalProcessorCount() {
    const std::uint32_t count = processorsOfAllGroups();
    printLine("Number of Cores: ", std::to_string(count));
    return count;
}

std::string totalMemoryMiB() {
    MEMORYSTATUSEX status{};
    static_assert(sizeof status == 64, "MEMORYSTATUSEX is 64 bytes on Windows x64");
    status.dwLength = sizeof status;
    // A failed query gives 0 in the line and the field alike, whatever the
    // call may have left in the record.
    const std::uint64_t mib =
        GlobalMemoryStatusEx(&status) != 0 ? mibFromBytes(status.ullTotalPhys) : 0;
    const std::string figure = std::to_string(mib);
    printLine("Total System Memory: ", figure, "MB");
    return figure;
}

std::string graphicsDeviceName(CallScope&) {
    std::string name = readRendererName(WindowFailureNotice::PrintLine);
    // No OpenGL 3.3 (the basic display driver of a VM or remote session, Windows
    // on Arm without the OpenGL compatibility pack, an old driver), or no
    // renderer text: Windows still names the adapter.
    if (name.empty()) name = primaryAdapterName();
    return name;
}

}  // namespace platform

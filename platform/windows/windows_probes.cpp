// Windows probes: processors and physical memory from the system, the renderer
// through GLFW. Each probe also writes its own line to the console.
#include <windows.h>

#include <iostream>

#include "../../functions/platform_probes.h"
#include "../../functions/report.h"
#include "../glfw/glfw_renderer.h"

namespace platform {

// std::endl flushes every line: the host's standard output is fully buffered
// when it is a pipe, and these lines must come before anything printed later.
void announceBrand(const std::string& cpuBrand) {
    std::cout << "CPU Type: " << cpuBrand << std::endl;
}

std::uint32_t logicalProcessorCount() {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    const std::uint32_t count = info.dwNumberOfProcessors;
    std::cout << "Number of Cores: " << count << std::endl;
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
    std::cout << "Total System Memory: " << figure << "MB" << std::endl;
    return figure;
}

std::string graphicsDeviceName(CallScope&) {
    return readRendererName(WindowFailureNotice::PrintLine);
}

}  // namespace platform

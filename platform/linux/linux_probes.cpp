// Linux probes: online processors and physical memory from the kernel, the
// renderer through GLFW. Prints nothing.
#include <sys/sysinfo.h>
#include <unistd.h>

#include "../../functions/platform_probes.h"
#include "../../functions/report.h"
#include "../glfw/glfw_renderer.h"

namespace platform {

void announceBrand(const std::string&) {}

std::uint32_t logicalProcessorCount() {
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<std::uint32_t>(online) : 0;
}

std::string totalMemoryMiB() {
    struct sysinfo info {};
    if (sysinfo(&info) != 0) return "0";
    // The machine's memory in bytes, which a container's own /proc/meminfo
    // (lxcfs) may show as its limit instead.
    const std::uint64_t bytes = static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
    return std::to_string(mibFromBytes(bytes));
}

std::string graphicsDeviceName(CallScope&) {
    return readRendererName(WindowFailureNotice::Silent);
}

}  // namespace platform

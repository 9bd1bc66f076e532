// The processor's brand in the x86-64 slice: CPUID's, except under Rosetta 2.
// There CPUID names a processor that does not exist ("VirtualApple @ 2.50GHz
// processor"), while the kernel still names the chip, as the arm64 slice
// reports it.
#include <cstddef>

// The SDK's declarations on a Mac, their stand-in in the Linux tests.
#include "apple_runtime.h"

#include "../../functions/cpu_brand.h"
#include "../../functions/platform_probes.h"
#include "macos_kernel_brand.h"

namespace {

// sysctl.proc_translated: 1 in a process that Rosetta translates, 0 in a
// native one; Intel Macs have no such name.
bool translatedByRosetta() {
    int translated = 0;
    std::size_t size = sizeof translated;
    return sysctlbyname("sysctl.proc_translated", &translated, &size, nullptr, 0) == 0 && translated == 1;
}

}  // namespace

std::string platform::processorBrand() {
    return translatedByRosetta() ? kernelBrandString() : cpuBrandFrom(executeCpuid);
}

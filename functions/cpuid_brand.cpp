// The processor's brand where CPUID alone tells it: x86-64 Windows and Linux.
#include "cpu_brand.h"
#include "platform_probes.h"

std::string platform::processorBrand() { return cpuBrandFrom(executeCpuid); }

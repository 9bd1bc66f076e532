// The processor's brand on arm64 macOS, which has no CPUID: the kernel's.
#include "../../functions/platform_probes.h"
#include "macos_kernel_brand.h"

std::string platform::processorBrand() { return kernelBrandString(); }

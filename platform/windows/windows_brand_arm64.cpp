// The processor's brand on Windows on Arm, which has no CPUID for programs:
// the registry's name for it.
#include "../../functions/platform_probes.h"
#include "windows_registry_brand.h"

std::string platform::processorBrand() { return registryProcessorName(); }

// The processor's name as Windows keeps it in the registry, for the DLLs that
// cannot take it from CPUID: the ARM64 one always, the x64 one under Windows
// on Arm's x64 emulation.
#pragma once

#include <string>

// ProcessorNameString of HKLM\HARDWARE\DESCRIPTION\System\CentralProcessor\0
// in UTF-8 ("Snapdragon(R) X Elite - X1E78100 - Qualcomm(R) Oryon(TM) CPU"),
// the text Windows itself shows; empty where the value is missing or empty.
std::string registryProcessorName();

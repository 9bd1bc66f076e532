// The processor's brand as the macOS kernel names it, for both slices.
#pragma once

#include <string>

// sysctl's machdep.cpu.brand_string ("Apple M2 Pro"), the text macOS itself
// shows; empty when the kernel does not say.
std::string kernelBrandString();

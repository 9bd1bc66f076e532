// Levers and record of the stand-in sysctlbyname, which answers the one name
// the arm64 brand asks for, machdep.cpu.brand_string.
#pragma once

#include <cstddef>

namespace standin {

struct BrandString {
    // What the kernel holds; null: it has no such name (ENOENT).
    const char* text = "Apple M2 Pro";
    // From the second call on, the kernel holds this instead (null: no
    // change), as if the text changed between asking its length and reading it.
    const char* textFromSecondCall = nullptr;
    // The call (counting from 1) that fails with EIO after scribbling over the
    // buffer it was given; 0: none fails.
    int failingCall = 0;
};

struct SysctlbynameRecord {
    int calls = 0;
    // Of the latest call.
    bool askedBrandString = false;
    bool oldValueGiven = false;
    std::size_t oldLengthGiven = 0;
    bool newValueGiven = false;
    // A name other than the brand's, a new value, or no length to write to.
    int faults = 0;
};

extern BrandString brandString;
extern SysctlbynameRecord sysctlbynameRecord;

// Back to "Apple M2 Pro", answered without fault, nothing recorded.
void resetBrandString();

}  // namespace standin

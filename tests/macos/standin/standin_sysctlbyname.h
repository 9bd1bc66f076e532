// Levers and record of the stand-in sysctlbyname, which answers the two names
// the brand sources ask for: machdep.cpu.brand_string, and
// sysctl.proc_translated (whether Rosetta 2 translates the process).
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

// sysctl.proc_translated: -1 no such name (an Intel Mac), 0 a native
// process, 1 a process under Rosetta 2.
extern int procTranslated;

struct SysctlbynameRecord {
    int translationQueries = 0;
    // Of machdep.cpu.brand_string, and any unknown name:
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

// Back to "Apple M2 Pro" on a native process, answered without fault,
// nothing recorded.
void resetBrandString();

}  // namespace standin

// A scripted platform for frame tests: answers what the test sets and records
// the order in which the frame asked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../interface/script_interface.h"

namespace fake_platform {

struct Answers {
    std::uint32_t processors = 8;
    std::string memoryMiB = "64";
    std::string gpuName = "Fake GPU";
};

extern Answers answers;
// In call order: "brand", "count", "memory", "gpu", "scope closed". Recording
// never allocates, so tests can fail any allocation of the frame's own.
extern std::vector<const char*> calls;
extern std::string announcedBrand;

// When set, closing the scope notes whether this record already held the result.
extern ::ScriptValue* watchedResult;
extern bool resultStoredWhenScopeClosed;

void reset();

}  // namespace fake_platform

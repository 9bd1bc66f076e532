// The stand-in machine under both runtimes: its levers and records, and
// sysctl answering hw.memsize from them.
#include <cerrno>
#include <cstring>

#include "standin_control.h"
#include "standin_sysctl.h"

namespace standin {
Machine machine;
Record record;
void (*onPoolRelease)() = nullptr;

void reset() {
    machine = Machine{};
    record = Record{};
    onPoolRelease = nullptr;
}
}  // namespace standin

// Answers hw.memsize only, like a kernel that knows nothing else.
extern "C" int sysctl(int* name, unsigned int nameLength, void* oldValue, std::size_t* oldLength,
                      void* newValue, std::size_t newLength) {
    standin::SysctlCall& call = standin::record.sysctl;
    call = standin::SysctlCall{};
    call.nameLength = nameLength;
    for (unsigned int i = 0; i < nameLength && i < 2; ++i) call.name[i] = name[i];
    call.oldValueGiven = oldValue != nullptr;
    call.oldLengthGiven = oldLength != nullptr ? *oldLength : 0;
    call.newValueGiven = newValue != nullptr;
    call.newLength = newLength;

    const bool memsize = nameLength == 2 && name[0] == CTL_HW && name[1] == HW_MEMSIZE;
    if (!memsize || newValue != nullptr || newLength != 0) {
        ++standin::record.faults;
        errno = EINVAL;
        return -1;
    }
    if (standin::machine.sysctlFails) {
        errno = EIO;
        return -1;
    }
    const std::int64_t bytes = standin::machine.memoryBytes;
    if (oldValue == nullptr || oldLength == nullptr || *oldLength < sizeof bytes) {
        errno = ENOMEM;
        return -1;
    }
    std::memcpy(oldValue, &bytes, sizeof bytes);
    *oldLength = sizeof bytes;
    return 0;
}

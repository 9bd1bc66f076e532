// The process's working set, as Task Manager shows it.
#include <windows.h>
#include <psapi.h>

#include "process_memory.h"

long residentKiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<long>(counters.WorkingSetSize / 1024);
}

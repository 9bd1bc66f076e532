// libstdc++'s std::thread::hardware_concurrency() asks glibc's get_nprocs
// through the dynamic linker, so this definition in the test binary takes its
// place for the whole process (it must be visible to the dynamic linker, hence
// the attribute under the build's hidden default). A negative answer falls back to sysconf, which
// glibc answers internally without coming back here.
#include "processor_count_lever.h"

#include <unistd.h>

namespace processor_count_lever {
int answer = -1;
}  // namespace processor_count_lever

extern "C" __attribute__((visibility("default"))) int get_nprocs(void) {
    if (processor_count_lever::answer >= 0) return processor_count_lever::answer;
    return static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
}

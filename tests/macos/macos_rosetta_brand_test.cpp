// The x86-64 slice's brand against the stand-in sysctlbyname: under Rosetta 2
// the kernel's text, as the arm64 slice reads it; natively, and on an Intel
// Mac that has no such question to answer, CPUID's.
#include <gtest/gtest.h>

#include <string>

#include "../../functions/cpu_brand.h"
#include "../../functions/platform_probes.h"
#include "standin_sysctlbyname.h"

TEST(MacosRosettaBrand, KernelsTextUnderTranslationElseCpuids) {
    const std::string cpuid = cpuBrandFrom(executeCpuid);
    struct Case {
        const char* what;
        int translated;
        const char* kernelText;
        std::string expected;
        int kernelCalls;
    };
    const Case cases[] = {
        {"under Rosetta 2", 1, "Apple M1 Pro", "Apple M1 Pro", 2},
        {"under Rosetta 2, the kernel silent", 1, nullptr, "", 1},
        {"a native process", 0, "Apple M1 Pro", cpuid, 0},
        {"an Intel Mac", -1, "Apple M1 Pro", cpuid, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        standin::resetBrandString();
        standin::procTranslated = c.translated;
        standin::brandString.text = c.kernelText;
        EXPECT_EQ(platform::processorBrand(), c.expected);
        EXPECT_EQ(standin::sysctlbynameRecord.translationQueries, 1);
        EXPECT_EQ(standin::sysctlbynameRecord.calls, c.kernelCalls);
        EXPECT_EQ(standin::sysctlbynameRecord.faults, 0) << "a call the kernel would refuse";
    }
}

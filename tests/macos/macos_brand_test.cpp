// The arm64 slice's brand against the stand-in sysctlbyname: the kernel's text
// byte for byte at any length, and an empty brand on every way the query can
// fail, never bytes from a buffer the kernel did not fill.
#include <gtest/gtest.h>

#include <string>

#include "../../functions/platform_probes.h"
#include "standin_sysctlbyname.h"

namespace {

class MacosBrand : public ::testing::Test {
protected:
    void SetUp() override { standin::resetBrandString(); }
    void TearDown() override { EXPECT_EQ(standin::sysctlbynameRecord.faults, 0) << "a call the kernel would refuse"; }
};

}  // namespace

TEST_F(MacosBrand, KernelsTextComesBackWhole) {
    const std::string beyondAnyFixedBuffer = "Apple M9 " + std::string(600, 'x');
    const char* const texts[] = {"Apple M2 Pro", "  padded, with a comma  ", "Apple \xc3\xa9\xe2\x84\xa2",
                                 beyondAnyFixedBuffer.c_str(), ""};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        standin::resetBrandString();
        standin::brandString.text = text;
        EXPECT_EQ(platform::processorBrand(), text);
        // Its length first, then the text into exactly that room; nothing set.
        const standin::SysctlbynameRecord& record = standin::sysctlbynameRecord;
        EXPECT_EQ(record.calls, 2);
        EXPECT_TRUE(record.askedBrandString);
        EXPECT_TRUE(record.oldValueGiven);
        EXPECT_EQ(record.oldLengthGiven, std::string(text).size() + 1);
        EXPECT_FALSE(record.newValueGiven);
    }
}

TEST_F(MacosBrand, EveryFailedQueryGivesAnEmptyBrand) {
    struct Case {
        const char* what;
        const char* text;
        const char* textFromSecondCall;
        int failingCall;
        int calls;
    };
    const Case cases[] = {
        {"no such name", nullptr, nullptr, 0, 1},
        {"the length query fails", "Apple M2 Pro", nullptr, 1, 1},
        {"the read fails after scribbling", "Apple M2 Pro", nullptr, 2, 2},
        // The kernel copies what fits, without a NUL, and says ENOMEM.
        {"the text grew in between", "Apple M2", "Apple M2 Pro Max", 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        standin::resetBrandString();
        standin::brandString.text = c.text;
        standin::brandString.textFromSecondCall = c.textFromSecondCall;
        standin::brandString.failingCall = c.failingCall;
        EXPECT_EQ(platform::processorBrand(), "");
        EXPECT_EQ(standin::sysctlbynameRecord.calls, c.calls);
    }
}

TEST_F(MacosBrand, TextThatShrankInBetweenEndsAtItsNul) {
    standin::brandString.text = "Apple M2 Pro";
    standin::brandString.textFromSecondCall = "Apple M1";
    EXPECT_EQ(platform::processorBrand(), "Apple M1");
}

// The macOS probes on the stand-in machine of standin/, whichever
// object runtime is under it: the memory figure and its narrowing, the
// processor count, the graphics name in every shape the system can give it, and
// the pool and device released on every path out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "../../functions/platform_probes.h"
#include "../../interface/script_interface.h"
#include "../allocation_tracker.h"
#include "processor_count_lever.h"
#include "standin_control.h"

namespace {

constexpr std::int64_t kMiB = 1048576;

// Fills the stack below the caller with a non-zero pattern, so that a probe
// reading a buffer it never initialised sees garbage rather than a lucky 0.
__attribute__((noinline)) void dirtyTheStack() {
    volatile unsigned char junk[16384];
    for (std::size_t i = 0; i < sizeof junk; ++i) junk[i] = 0xA5;
}

// The graphics probe with its scope closed on return, as the frame does.
std::string graphicsName() {
    platform::CallScope scope = platform::emptyCallScope();
    return platform::graphicsDeviceName(scope);
}

// What the result record held when the pool drained.
ScriptValue* watchedResult = nullptr;
long typeAtPoolRelease = 0;
void* dataAtPoolRelease = nullptr;
void notePoolRelease() {
    typeAtPoolRelease = watchedResult->type;
    dataAtPoolRelease = watchedResult->data;
}

class MacosProbes : public ::testing::Test {
protected:
    void SetUp() override {
        standin::reset();
        processor_count_lever::answer = -1;
    }
    void TearDown() override {
        EXPECT_EQ(standin::record.faults, 0) << "a call the system would refuse";
        EXPECT_EQ(standin::devicesAlive(), 0) << "a device never released";
        EXPECT_FALSE(standin::poolOpen()) << "a pool never released";
        processor_count_lever::answer = -1;
        watchedResult = nullptr;
    }
};

}  // namespace

TEST_F(MacosProbes, MemoryReadsHwMemsizeAsSignedBytesThenNarrowedMiB) {
    struct Case {
        std::int64_t bytes;
        const char* mib;
    };
    const Case cases[] = {
        {7 * kMiB, "7"},
        {7 * kMiB - 1, "6"},
        {std::int64_t{16} << 30, "16384"},
        {-3 * kMiB - 1, "-3"},                                   // toward zero, not down
        {((std::int64_t{1} << 31) - 1) * kMiB, "2147483647"},    // the largest that fits
        {(std::int64_t{1} << 31) * kMiB, "-2147483648"},         // 2^31 MiB wraps negative
        {((std::int64_t{1} << 32) + 5) * kMiB + kMiB - 1, "5"},  // only the low 32 bits stay
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        standin::reset();
        standin::machine.memoryBytes = c.bytes;
        EXPECT_EQ(platform::totalMemoryMiB(), c.mib);
        // hw.memsize is {CTL_HW 6, HW_MEMSIZE 24}, read into 8 bytes, nothing set.
        const standin::SysctlCall& call = standin::record.sysctl;
        EXPECT_EQ(call.nameLength, 2u);
        EXPECT_EQ(call.name[0], 6);
        EXPECT_EQ(call.name[1], 24);
        EXPECT_TRUE(call.oldValueGiven);
        EXPECT_EQ(call.oldLengthGiven, 8u);
        EXPECT_FALSE(call.newValueGiven);
        EXPECT_EQ(call.newLength, 0u);
    }
}

TEST_F(MacosProbes, FailedMemoryQueryShowsZero) {
    standin::machine.sysctlFails = true;
    dirtyTheStack();
    EXPECT_EQ(platform::totalMemoryMiB(), "0");
}

TEST_F(MacosProbes, ProcessorCountIsTheRuntimesAnswerZeroIncluded) {
    for (int answer : {0, 1, 37}) {
        processor_count_lever::answer = answer;
        EXPECT_EQ(platform::logicalProcessorCount(), static_cast<std::uint32_t>(answer));
    }
}

// Each shape of answer: the name, byte for byte, and the device made inside
// the pool, released, and the pool drained once.
TEST_F(MacosProbes, GraphicsNameInEveryShapeTheSystemGivesIt) {
    const char* const nonAscii = "Radeon Pro 5500M \xc3\xa9\xe2\x84\xa2\xce\xa9 \xf0\x9f\x96\xa5, 8 GB";
    struct Case {
        const char* what;
        bool hasDevice;
        bool hasName;
        const char* text;
        std::string expected;
    };
    const Case cases[] = {
        {"no device", false, true, "unused", ""},
        {"device with no name", true, false, "unused", ""},
        {"name with no UTF-8 form", true, true, nullptr, ""},
        {"empty name", true, true, "", ""},
        {"bytes above 127 and a comma", true, true, nonAscii, nonAscii},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        standin::reset();
        standin::machine.hasDevice = c.hasDevice;
        standin::machine.deviceHasName = c.hasName;
        standin::machine.deviceName = c.text;

        const std::string name = graphicsName();
        EXPECT_EQ(name.size(), c.expected.size());
        EXPECT_EQ(name, c.expected);
        EXPECT_TRUE(standin::record.deviceCreatedInsidePool);
        EXPECT_EQ(standin::record.devicesCreated, c.hasDevice ? 1 : 0);
        EXPECT_EQ(standin::devicesAlive(), 0);
        EXPECT_EQ(standin::record.poolDrains, 1);
        EXPECT_FALSE(standin::poolOpen());
    }
}

// Where the default device gives no name, the system's list does: its first
// device that is not low-power, else its first. The list is asked only then,
// and released with the devices it holds.
TEST_F(MacosProbes, WithoutADefaultDeviceTheListNamesOne) {
    const standin::ListedDevice integrated{"Intel Iris Plus Graphics", true};
    const standin::ListedDevice discrete{"AMD Radeon Pro 5500M", false};
    struct Case {
        const char* what;
        bool hasDevice;
        bool hasName;
        std::vector<standin::ListedDevice> listed;
        std::string expected;
        int listsCopied;
    };
    const Case cases[] = {
        {"a low-power and a discrete device", false, true, {integrated, discrete}, discrete.name, 1},
        {"only a low-power device", false, true, {integrated}, integrated.name, 1},
        {"an empty list", false, true, {}, "", 1},
        {"a default device with no name", true, false, {discrete}, discrete.name, 1},
        {"a default device with a name", true, true, {discrete}, "Stand-in GPU", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        standin::reset();
        standin::machine.hasDevice = c.hasDevice;
        standin::machine.deviceHasName = c.hasName;
        std::copy(c.listed.begin(), c.listed.end(), standin::machine.listed);
        standin::machine.listedCount = static_cast<int>(c.listed.size());

        EXPECT_EQ(graphicsName(), c.expected);
        EXPECT_EQ(standin::record.listsCopied, c.listsCopied);
        EXPECT_EQ(standin::devicesAlive(), 0);
        EXPECT_EQ(standin::record.poolDrains, 1);
        EXPECT_EQ(standin::record.faults, 0);
    }
}

TEST_F(MacosProbes, GetSpecsReportsAllFourFieldsAndDrainsThePoolAfterStoringTheResult) {
    struct Case {
        const char* what;
        int processors;
        bool hasDevice;
        bool sysctlFails;
        std::string tail;  // everything after the brand
    };
    const Case cases[] = {
        {"a full machine", 12, true, false, ",12,AMD Radeon Pro 5500M, 8 GB,7"},
        {"nothing known", 0, false, true, ",0,,0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        standin::reset();
        processor_count_lever::answer = c.processors;
        standin::machine.hasDevice = c.hasDevice;
        standin::machine.sysctlFails = c.sysctlFails;
        standin::machine.memoryBytes = 7 * kMiB;
        standin::machine.deviceName = "AMD Radeon Pro 5500M, 8 GB";
        ScriptValue result{};
        watchedResult = &result;
        typeAtPoolRelease = 0;
        dataAtPoolRelease = nullptr;
        standin::onPoolRelease = notePoolRelease;

        ASSERT_EQ(getSpecs(nullptr, 0, &result), ES_OK);
        EXPECT_EQ(standin::record.poolDrains, 1);
        EXPECT_EQ(typeAtPoolRelease, ES_TYPE_STRING);
        EXPECT_EQ(dataAtPoolRelease, result.data);
        const std::string report(static_cast<const char*>(result.data));
        ESFreeMem(result.data);
        EXPECT_EQ(report, platform::processorBrand() + c.tail);
    }
}

// Fails the 1st allocation of a getSpecs call, then the 2nd, and so on until
// the call gets through: whichever fails, the pool and the device (or the
// device list) are released exactly once, the record is untouched and nothing
// allocated is kept.
namespace {
void exhaustTheHeapAtEveryAllocation(bool namedByTheList) {
    SCOPED_TRACE(namedByTheList ? "named by the list" : "named by the default device");
    const std::string longName(100, 'g');  // beyond the short-string buffer: the copy allocates
    int failuresAfterTheDevice = 0;
    for (long n = 1;; ++n) {
        standin::reset();
        standin::machine.deviceName = longName.c_str();
        standin::machine.hasDevice = !namedByTheList;
        standin::machine.listed[0] = {longName.c_str(), false};
        standin::machine.listedCount = 1;
        ScriptValue result;
        std::memset(&result, 0xA5, sizeof result);
        const ScriptValue before = result;

        allocation_tracker::start();
        allocation_tracker::failAllocation(n);
        const long code = getSpecs(nullptr, 0, &result);
        const allocation_tracker::Counts counts = allocation_tracker::stop();

        SCOPED_TRACE(n);
        EXPECT_EQ(standin::record.faults, 0);
        EXPECT_FALSE(standin::poolOpen());
        EXPECT_EQ(standin::devicesAlive(), 0);
        // The pool opens just before the device is asked for.
        const int asked = standin::record.devicesCreated + standin::record.listsCopied;
        EXPECT_EQ(standin::record.poolDrains, asked);
        if (code == ES_OK) {
            const std::string report(static_cast<const char*>(result.data));
            EXPECT_NE(report.find("," + longName + ",16384"), std::string::npos) << report;
            ESFreeMem(result.data);
            break;
        }
        EXPECT_EQ(code, ES_OUT_OF_MEMORY);
        EXPECT_EQ(std::memcmp(&result, &before, sizeof result), 0);
        EXPECT_EQ(counts.allocations - 1, counts.releases);  // the failed one never existed
        if (asked == 1) ++failuresAfterTheDevice;
        ASSERT_LT(n, 100);
    }
    // The name's copy, the joined report and the result block.
    EXPECT_GE(failuresAfterTheDevice, 3);
}
}  // namespace

TEST_F(MacosProbes, HeapExhaustedAtEveryAllocationStillReleasesPoolAndDevice) {
    exhaustTheHeapAtEveryAllocation(false);
    exhaustTheHeapAtEveryAllocation(true);
}

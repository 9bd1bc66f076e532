// The boundary as the host sees it: lifecycle calls, argument checks that leave
// the record untouched and allocate nothing, result blocks, and a heap that
// runs out at any allocation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>
#include <string>

#include "../interface/result_block.h"
#include "../interface/script_interface.h"
#include "allocation_tracker.h"
#include "fake_platform.h"

namespace {

// A host record with fields of its own after `type`, all set to a sentinel.
struct HostRecord {
    ScriptValue value;
    unsigned char hostFields[16];
};

HostRecord sentinelRecord() {
    HostRecord record;
    std::memset(&record, 0xA5, sizeof record);
    return record;
}

ScriptValue textArgument(const char* text) {
    ScriptValue value{};
    value.data = const_cast<char*>(text);
    value.type = ES_TYPE_STRING;
    return value;
}

std::string takeText(ScriptValue& result) {
    std::string text(static_cast<const char*>(result.data));
    ESFreeMem(result.data);
    return text;
}

}  // namespace

TEST(Lifecycle, VersionInitializeTerminateAndNullFree) {
    EXPECT_EQ(ESGetVersion(), 1);
    char* first = ESInitialize(nullptr);
    int hostData = 7;
    char* second = ESInitialize(&hostData);
    EXPECT_EQ(first, second);
    const char expected[] = "makeArray,getAverage,appendString_s,myScript_a,acceptBoolean_b";
    EXPECT_EQ(std::memcmp(first, expected, sizeof expected), 0);
    ESFreeMem(nullptr);
    ESTerminate();
    EXPECT_EQ(ESGetVersion(), 1);
    EXPECT_EQ(ESInitialize(nullptr), first);
}

TEST(RecordLayout, DataAtZeroTypeAtEight) {
    EXPECT_EQ(offsetof(ScriptValue, data), 0u);
    EXPECT_EQ(offsetof(ScriptValue, type), 8u);
    EXPECT_EQ(sizeof(ScriptValue::type), sizeof(long));
}

// A rejected call must return 20 before it allocates or writes anything.
TEST(BadArguments, ReturnTwentyRecordUntouchedNothingAllocated) {
    ScriptValue text = textArgument("x");
    ScriptValue nullText{};
    nullText.type = ES_TYPE_STRING;
    ScriptValue wrongType = textArgument("x");
    ScriptValue twoTexts[2] = {textArgument("a"), textArgument("b")};

    struct Case {
        const char* what;
        long (*function)(ScriptValue*, long, ScriptValue*);
        ScriptValue* args;
        long count;
        long type;  // given to args[0] when args is set
    };
    const Case cases[] = {
        {"getSpecs with one argument", getSpecs, &text, 1, ES_TYPE_STRING},
        {"getSpecs with a negative count", getSpecs, nullptr, -1, 0},
        {"getSpecs with two arguments", getSpecs, twoTexts, 2, ES_TYPE_STRING},
        {"sample with none", sample, nullptr, 0, 0},
        {"sample with two", sample, twoTexts, 2, ES_TYPE_STRING},
        {"sample with a count and no array", sample, nullptr, 1, 0},
        {"sample with type 0", sample, &wrongType, 1, 0},
        {"sample with type 5", sample, &wrongType, 1, 5},
        {"sample with type -4", sample, &wrongType, 1, -4},
        {"sample with type 4 and null data", sample, &nullText, 1, ES_TYPE_STRING},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.args != nullptr) c.args[0].type = c.type;
        HostRecord record = sentinelRecord();
        const HostRecord before = record;
        allocation_tracker::start();
        const long code = c.function(c.args, c.count, &record.value);
        const allocation_tracker::Counts counts = allocation_tracker::stop();
        EXPECT_EQ(code, ES_BAD_ARGUMENTS);
        EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
        EXPECT_EQ(counts.allocations, 0);
    }
    ScriptValue good = textArgument("x");
    EXPECT_EQ(sample(&good, 1, nullptr), ES_BAD_ARGUMENTS);
    EXPECT_EQ(getSpecs(nullptr, 0, nullptr), ES_BAD_ARGUMENTS);
}

TEST(ResultBlock, ExactlyLengthPlusOneHoldingTextAndNul) {
    allocation_tracker::start();
    char* empty = getNewBuffer("");
    const allocation_tracker::Counts counts = allocation_tracker::stop();
    EXPECT_EQ(counts.allocations, 1);
    EXPECT_EQ(counts.lastSize, 1u);
    EXPECT_EQ(empty[0], '\0');
    ESFreeMem(empty);

    const std::string withNulInside("ab\0cd", 5);
    char* block = getNewBuffer(withNulInside);
    EXPECT_EQ(std::memcmp(block, "ab\0cd\0", 6), 0);
    ESFreeMem(block);
}

TEST(Sample, AppendsSuffixByteForByte) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"", ", edited by Tovarin"},
        {"hello", "hello, edited by Tovarin"},
        {"caf\xc3\xa9 \xe2\x82\xac \xff\x80", "caf\xc3\xa9 \xe2\x82\xac \xff\x80, edited by Tovarin"},
        {"x, edited by Tovarin", "x, edited by Tovarin, edited by Tovarin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        const std::string hostText = c.in;
        ScriptValue arg = textArgument(hostText.c_str());
        HostRecord record = sentinelRecord();
        allocation_tracker::start();
        ASSERT_EQ(sample(&arg, 1, &record.value), ES_OK);
        const allocation_tracker::Counts counts = allocation_tracker::stop();
        EXPECT_EQ(record.value.type, ES_TYPE_STRING);
        EXPECT_EQ(counts.lastSize, std::strlen(c.out) + 1);  // the block is the last allocation
        EXPECT_EQ(counts.allocations - counts.releases, 1);  // only the block survives
        EXPECT_EQ(takeText(record.value), c.out);
        EXPECT_EQ(hostText, c.in);
        for (unsigned char byte : record.hostFields) EXPECT_EQ(byte, 0xA5);
    }
}

TEST(GetSpecsFrame, ProbesInOrderJoinsFieldsAndClosesScopeLast) {
    fake_platform::reset();
    fake_platform::answers = {8, "64", "llvmpipe (LLVM 15.0.6, 256 bits)"};
    HostRecord record = sentinelRecord();
    fake_platform::watchedResult = &record.value;
    ASSERT_EQ(getSpecs(nullptr, 0, &record.value), ES_OK);
    fake_platform::watchedResult = nullptr;

    const std::vector<std::string> order(fake_platform::calls.begin(), fake_platform::calls.end());
    EXPECT_EQ(order, (std::vector<std::string>{"brand", "count", "memory", "gpu", "scope closed"}));
    EXPECT_TRUE(fake_platform::resultStoredWhenScopeClosed);
    const std::string report = takeText(record.value);
    EXPECT_EQ(report, fake_platform::announcedBrand + ",8,llvmpipe (LLVM 15.0.6, 256 bits),64");
}

TEST(GetSpecsFrame, EmptyGraphicsNameAndZeroProcessorsKeepTheFormat) {
    fake_platform::reset();
    fake_platform::answers = {0, "0", ""};
    ScriptValue result{};
    ASSERT_EQ(getSpecs(nullptr, 0, &result), ES_OK);
    EXPECT_EQ(takeText(result), fake_platform::announcedBrand + ",0,,0");
}

// Fails the 1st allocation of a call, then the 2nd, and so on until the call
// gets through: each failure must return the documented code, leave the
// record as it was, keep nothing allocated and close the platform's scope.
TEST(HeapExhausted, EveryAllocationOfACallInTurn) {
    ScriptValue arg = textArgument("some text to append to");
    struct Call {
        const char* what;
        long (*function)(ScriptValue*, long, ScriptValue*);
        ScriptValue* args;
        long count;
    };
    for (const Call& call : {Call{"getSpecs", getSpecs, nullptr, 0}, Call{"sample", sample, &arg, 1}}) {
        SCOPED_TRACE(call.what);
        long failures = 0;
        for (long n = 1;; ++n) {
            fake_platform::reset();
            fake_platform::answers.gpuName = std::string(100, 'g');  // beyond the short-string buffer
            HostRecord record = sentinelRecord();
            const HostRecord before = record;
            allocation_tracker::start();
            allocation_tracker::failAllocation(n);
            const long code = call.function(call.args, call.count, &record.value);
            const allocation_tracker::Counts counts = allocation_tracker::stop();
            if (code == ES_OK) {
                ESFreeMem(record.value.data);
                break;
            }
            ++failures;
            SCOPED_TRACE(n);
            EXPECT_EQ(code, ES_OUT_OF_MEMORY);
            EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
            EXPECT_EQ(counts.allocations - 1, counts.releases);  // the failed one never existed
            const bool scopeOpened = std::find(fake_platform::calls.begin(), fake_platform::calls.end(),
                                               std::string("gpu")) != fake_platform::calls.end();
            if (scopeOpened) {
                EXPECT_STREQ(fake_platform::calls.back(), "scope closed");
            }
            ASSERT_LT(n, 100);
        }
        EXPECT_GE(failures, 1);
    }
}

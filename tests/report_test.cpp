// The report's shape and the arithmetic of its numbers at their edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "../functions/report.h"

TEST(Report, JoinsWithBareCommasAndNoEscaping) {
    EXPECT_EQ(joinReport({"AMD EPYC", "2", "llvmpipe (LLVM 15.0.6, 256 bits)", "24105"}),
              "AMD EPYC,2,llvmpipe (LLVM 15.0.6, 256 bits),24105");
    EXPECT_EQ(joinReport({"", "4", "", "0"}), ",4,,0");
    EXPECT_EQ(joinReport({" Padded ", "1", "GPU", "1"}), " Padded ,1,GPU,1");
    const std::string plain = joinReport({"Brand", "8", "GPU", "64"});
    EXPECT_EQ(std::count(plain.begin(), plain.end(), ','), 3);
    EXPECT_EQ(plain.back(), '4');
}

TEST(Report, CountsAsUnsignedDecimals) {
    EXPECT_EQ(std::to_string(std::uint32_t{0}), "0");
    EXPECT_EQ(std::to_string(std::numeric_limits<std::uint32_t>::max()), "4294967295");
}

TEST(MemoryArithmetic, UnsignedShiftDropsTheRemainder) {
    const std::uint64_t mib = 1048576;
    EXPECT_EQ(mibFromBytes(3 * mib), 3u);
    EXPECT_EQ(mibFromBytes(3 * mib - 1), 2u);
    EXPECT_EQ(mibFromBytes(5 * mib - 1), 4u);
    EXPECT_EQ(mibFromBytes(0), 0u);
    EXPECT_EQ(mibFromBytes(6 * 1024 * mib), 6144u);  // above 4 GiB
    EXPECT_EQ(mibFromBytes(std::numeric_limits<std::uint64_t>::max()), 17592186044415u);
    EXPECT_EQ(std::to_string(mibFromBytes(std::numeric_limits<std::uint64_t>::max())),
              "17592186044415");
}

TEST(MemoryArithmetic, SignedDivisionNarrowedToLow32Bits) {
    const std::int64_t mib = 1048576;
    EXPECT_EQ(narrowedMibFromSignedBytes(7 * mib), 7);
    EXPECT_EQ(narrowedMibFromSignedBytes(7 * mib - 1), 6);
    EXPECT_EQ(narrowedMibFromSignedBytes(64 * 1024 * mib), 65536);
    EXPECT_EQ(narrowedMibFromSignedBytes(-mib - 1), -1);  // toward zero, not down
    // 2^31 MiB and beyond no longer fit: only the low 32 bits remain.
    EXPECT_EQ(narrowedMibFromSignedBytes((std::int64_t{1} << 31) * mib),
              std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(narrowedMibFromSignedBytes((std::int64_t{1} << 32) * mib + 5 * mib), 5);
    EXPECT_EQ(narrowedMibFromSignedBytes(std::numeric_limits<std::int64_t>::max()), -1);
}

// The brand walk driven through a scripted CPUID: which leaves a processor has,
// what they hold, and where the text ends.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "../functions/cpu_brand.h"

namespace {

std::uint32_t fakeMaxLeaf;
unsigned char fakeBrand[48];
std::vector<std::uint32_t> leavesAsked;

std::uint32_t word(int offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | fakeBrand[offset + i];
    return value;
}

CpuidRegisters fakeCpuid(std::uint32_t leaf) {
    leavesAsked.push_back(leaf);
    if (leaf == 0x80000000u) return {fakeMaxLeaf, 0x68747541, 0x444d4163, 0x69746e65};
    if (leaf >= 0x80000002u && leaf <= 0x80000004u && leaf <= fakeMaxLeaf) {
        const int base = 16 * static_cast<int>(leaf - 0x80000002u);
        return {word(base), word(base + 4), word(base + 8), word(base + 12)};
    }
    return {0xdeadbeef, 0xdeadbeef, 0xdeadbeef, 0xdeadbeef};  // nothing a brand may show
}

std::string brandWith(std::uint32_t maxLeaf, const char* brand, std::size_t length) {
    fakeMaxLeaf = maxLeaf;
    std::memset(fakeBrand, 0, sizeof fakeBrand);
    std::memcpy(fakeBrand, brand, length);
    leavesAsked.clear();
    return cpuBrandFrom(fakeCpuid);
}

const char kPadded[] = "       Intel(R) Xeon(R) CPU E5-2680 v4 @ 2.40GHz";  // 48 bytes with leading blanks

}  // namespace

TEST(CpuBrand, EachMaxLeafGivesThePartsThatExist) {
    const std::string full(kPadded, 48);
    EXPECT_EQ(brandWith(0x00000000u, kPadded, 48), "");
    EXPECT_EQ(brandWith(0x7fffffffu, kPadded, 48), "");
    EXPECT_EQ(leavesAsked, std::vector<std::uint32_t>{0x80000000u});
    EXPECT_EQ(brandWith(0x80000001u, kPadded, 48), "");
    EXPECT_EQ(brandWith(0x80000002u, kPadded, 48), full.substr(0, 16));
    EXPECT_EQ(brandWith(0x80000003u, kPadded, 48), full.substr(0, 32));
    EXPECT_EQ(brandWith(0x80000004u, kPadded, 48), full);
    EXPECT_EQ(brandWith(0x80000008u, kPadded, 48), full);
}

TEST(CpuBrand, HighestMaxLeafEndsWithoutWrapping) {
    EXPECT_EQ(brandWith(0xFFFFFFFFu, kPadded, 48), std::string(kPadded, 48));
    for (std::uint32_t leaf : leavesAsked) EXPECT_GE(leaf, 0x80000000u);
    EXPECT_LE(leavesAsked.size(), 4u);
}

// A brand of 48 bytes without a zero, leading blanks and a processor
// without brand leaves run end to end on qemu's processors (host_cli_test.sh).
TEST(CpuBrand, TextEndsAtFirstZero) {
    EXPECT_EQ(brandWith(0x80000004u, "AMD EPYC 7B13\0 junk after the end", 34), "AMD EPYC 7B13");
    EXPECT_EQ(brandWith(0x80000004u, "", 0), "");
}

TEST(CpuBrand, RegistersLandLittleEndianInEaxEbxEcxEdxOrder) {
    const char ordered[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKL";
    EXPECT_EQ(brandWith(0x80000004u, ordered, 48), std::string(ordered, 48));
}

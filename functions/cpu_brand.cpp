// Walks the CPUID brand-string leaves 0x80000002..0x80000004 into a text: the
// processor's brand on every x86-64 build.
#include "cpu_brand.h"

#include <cstring>

namespace {

constexpr std::uint32_t kHighestExtendedLeaf = 0x80000000u;
constexpr std::uint32_t kFirstBrandLeaf = 0x80000002u;
constexpr std::uint32_t kLastBrandLeaf = 0x80000004u;

void storeLittleEndian(unsigned char* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

std::string cpuBrandFrom(CpuidFunction cpuid) {
    // 48 brand bytes plus 16 that are never written, so a brand without any
    // zero byte still ends at byte 48.
    unsigned char buffer[64] = {};

    const std::uint32_t maxLeaf = cpuid(kHighestExtendedLeaf).eax;
    if (maxLeaf >= kHighestExtendedLeaf) {
        // Only the brand leaves the processor has are executed: the leaves in
        // between carry nothing we keep, and under a hypervisor every CPUID
        // traps, so a bogus maxLeaf of 0xFFFFFFFF must not cost 2^31 of them.
        // Counting up to the smaller bound also means the leaf never wraps.
        const std::uint32_t lastLeaf = maxLeaf < kLastBrandLeaf ? maxLeaf : kLastBrandLeaf;
        for (std::uint32_t leaf = kFirstBrandLeaf; leaf <= lastLeaf; ++leaf) {
            const CpuidRegisters regs = cpuid(leaf);
            unsigned char* part = buffer + 16 * (leaf - kFirstBrandLeaf);
            storeLittleEndian(part, regs.eax);
            storeLittleEndian(part + 4, regs.ebx);
            storeLittleEndian(part + 8, regs.ecx);
            storeLittleEndian(part + 12, regs.edx);
        }
    }
    const void* end = std::memchr(buffer, 0, sizeof buffer);  // byte 48 at the latest
    const char* text = reinterpret_cast<const char*>(buffer);
    return std::string(text, static_cast<const char*>(end) - text);
}

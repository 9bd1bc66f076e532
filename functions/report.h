// The report's shape and the arithmetic behind its numbers: pure functions, so
// any value can be tested on any machine.
#pragma once

#include <cstdint>
#include <string>

struct ProbeResults {
    std::string cpuBrand;
    std::string coreCount;
    std::string gpuName;
    std::string memoryMB;
};

// "cpuBrand,coreCount,gpuName,memoryMB": no blanks, no escaping, no line end.
std::string joinReport(const ProbeResults& fields);

// Whole MiB in an unsigned byte count; the remainder is dropped.
constexpr std::uint64_t mibFromBytes(std::uint64_t bytes) { return bytes >> 20; }

// Whole MiB in a signed byte count, truncated toward zero, then narrowed to the
// low 32 bits read as signed (the macOS build's figure).
constexpr std::int32_t narrowedMibFromSignedBytes(std::int64_t bytes) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(
        static_cast<std::uint64_t>(bytes / 1048576)));
}

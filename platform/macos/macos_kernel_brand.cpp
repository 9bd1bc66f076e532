// The macOS kernel's brand text, read whole at any length.
#include "macos_kernel_brand.h"

#include <cstddef>
#include <cstring>

// The SDK's declarations on a Mac, their stand-in in the Linux tests.
#include "apple_runtime.h"

std::string kernelBrandString() {
    const char* const name = "machdep.cpu.brand_string";
    // Asked twice: first for the length the text needs (its NUL included),
    // then for the text, so no fixed buffer can cut it short.
    std::size_t length = 0;
    if (sysctlbyname(name, nullptr, &length, nullptr, 0) != 0 || length == 0) return std::string();
    // Zero-filled, so whatever the kernel leaves unwritten reads as the end.
    std::string text(length, '\0');
    std::size_t written = text.size();
    if (sysctlbyname(name, text.data(), &written, nullptr, 0) != 0) return std::string();
    // The text ends at its NUL, or where the kernel stopped writing.
    const std::size_t within = written < text.size() ? written : text.size();
    const void* end = std::memchr(text.data(), '\0', within);
    text.resize(end != nullptr ? static_cast<const char*>(end) - text.data() : within);
    return text;
}

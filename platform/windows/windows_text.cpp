// UTF-16 to UTF-8 with WideCharToMultiByte, measured first, then written.
#include "windows_text.h"

#include <windows.h>

std::string utf8FromWide(const wchar_t* text, std::size_t units) {
    const int length = static_cast<int>(units);
    const int bytes = length > 0 ? WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr) : 0;
    if (bytes <= 0) return std::string();
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

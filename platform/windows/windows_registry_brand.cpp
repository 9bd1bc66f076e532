// The name Windows keeps in the registry for the first processor, read the
// same way by both DLLs.
#include "windows_registry_brand.h"

#include <windows.h>

#include "windows_text.h"

std::string registryProcessorName() {
    const wchar_t* const key = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
    const wchar_t* const name = L"ProcessorNameString";
    // A REG_SZ only (RRF_RT_REG_SZ), which RegGetValueW ends with a NUL even
    // when the stored value has none. Its size is asked first; should the
    // value grow in between, it is asked again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD bytes = 0;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS ||
            bytes < sizeof(wchar_t)) {
            return std::string();
        }
        std::wstring text(bytes / sizeof(wchar_t), L'\0');
        const LSTATUS status =
            RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return std::string();
        // The text ends at its first NUL.
        text.resize(text.find(L'\0') != std::wstring::npos ? text.find(L'\0') : text.size());
        return utf8FromWide(text.data(), text.size());
    }
    return std::string();
}

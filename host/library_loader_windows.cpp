// LoadLibrary-based loading for the Windows build of the host.
#include <windows.h>

#include <string>

#include "library_loader.h"

namespace {

// The system's own text for an error code, without its trailing line end.
std::string describeError(DWORD code) {
    char text[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ')) {
        message.pop_back();
    }
    if (message.empty()) message = "LoadLibrary failed";
    return message + " (error " + std::to_string(code) + ")";
}

}  // namespace

LoadedLibrary::LoadedLibrary(const std::string& path) {
    handle_ = LoadLibraryA(path.c_str());
    if (handle_ == nullptr) error_ = describeError(GetLastError());
}

LoadedLibrary::~LoadedLibrary() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* LoadedLibrary::symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

// A module's handle is the address it is loaded at.
void* LoadedLibrary::imageStart(void* address) {
    HMODULE module = nullptr;
    const DWORD flags =
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    return GetModuleHandleExW(flags, static_cast<LPCWSTR>(address), &module) ? module : nullptr;
}

std::string LoadedLibrary::defaultPath() {
    // GetModuleFileNameA truncates silently when the buffer is too small, so
    // grow it until the whole path fits (Windows paths stop at 32767).
    std::string self(MAX_PATH, '\0');
    DWORD length = 0;
    for (;;) {
        length = GetModuleFileNameA(nullptr, &self[0], static_cast<DWORD>(self.size()));
        if (length < self.size() || self.size() >= 32768) break;
        self.resize(self.size() * 2);
    }
    self.resize(length);
    const std::size_t slash = self.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : self.substr(0, slash);
    return folder + "\\" HOST_LIBRARY_FILE;
}

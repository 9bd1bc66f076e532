// What the Windows test programs share: the DLL and its entry points as a host
// finds them, a host record laid out as bytes, the console captured, a quiet
// report, the primary adapter's name, the process's threads counted, and an
// import of the DLL pointed elsewhere. Header-only: each test is one program.
#pragma once

#include <windows.h>
#include <io.h>
#include <tlhelp32.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "../../interface/script_interface.h"

static_assert(sizeof(long) == 4 && offsetof(ScriptValue, type) == 8 && sizeof(ScriptValue) == 16,
              "LLP64: a 32-bit type at offset 8, bytes 12 to 15 free for the host");

namespace harness {

inline int passed = 0;
inline int failed = 0;
inline const char* group = "";

inline void check(bool ok, const std::string& what) {
    ok ? ++passed : ++failed;
    if (!ok) std::printf("FAIL [%s] %s\n", group, what.c_str());
}

inline void checkEqual(const std::string& what, const std::string& expected, const std::string& actual) {
    check(expected == actual, what + "\n  expected: \"" + expected + "\"\n  actual:   \"" + actual + "\"");
}

using ScriptFn = long (*)(ScriptValue*, long, ScriptValue*);

// The DLL and the entry points these tests call, found as a host finds them.
struct Library {
    HMODULE module;
    void (*freeMem)(void*) = nullptr;
    ScriptFn getSpecs = nullptr;
    ScriptFn sample = nullptr;

    explicit Library(const char* path, DWORD flags = 0) : module(LoadLibraryExA(path, nullptr, flags)) {
        if (module == nullptr) return;
        freeMem = entry<void (*)(void*)>("ESFreeMem");
        getSpecs = entry<ScriptFn>("getSpecs");
        sample = entry<ScriptFn>("sample");
    }
    ~Library() {
        if (module != nullptr) FreeLibrary(module);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    template <typename Function>
    Function entry(const char* name) const {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

// A host record as bytes: the ScriptValue and 16 bytes of the host's own after
// it. Everything but `data` and the 32-bit `type` holds a sentinel.
constexpr unsigned char kSentinel = 0xA5;
struct alignas(8) RawRecord {
    unsigned char bytes[32];

    explicit RawRecord(const char* text = nullptr, std::int32_t type = 0) {
        std::memset(bytes, kSentinel, sizeof bytes);
        if (text != nullptr || type != 0) {
            std::memcpy(bytes, &text, sizeof text);
            std::memcpy(bytes + 8, &type, sizeof type);
        }
    }
    ScriptValue* value() { return reinterpret_cast<ScriptValue*>(bytes); }
    const char* text() const {
        const char* data;
        std::memcpy(&data, bytes, sizeof data);
        return data;
    }
    std::int32_t type() const {
        std::int32_t type;
        std::memcpy(&type, bytes + 8, sizeof type);
        return type;
    }
    // Bytes 12 to 31: the upper half a 64-bit `type` would have, and the host's.
    bool hostBytesKept() const {
        for (std::size_t i = 12; i < sizeof bytes; ++i) {
            if (bytes[i] != kSentinel) return false;
        }
        return true;
    }
};

inline std::string takeText(const Library& dll, const RawRecord& result) {
    const std::string text(result.text());
    dll.freeMem(const_cast<char*>(result.text()));
    return text;
}

// Captures file descriptor 1, which the DLL's std::cout reaches through
// the C runtime's stdout (msvcrt's or UCRT's), for as long as the object lives.
class CapturedOutput {
public:
    CapturedOutput() {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        GetTempFileNameA(folder, "kst", 0, path_);
        file_ = std::fopen(path_, "w+b");
        std::fflush(stdout);
        saved_ = _dup(1);
        _dup2(_fileno(file_), 1);
    }
    ~CapturedOutput() {
        restore();
        std::fclose(file_);
        DeleteFileA(path_);
    }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;

    // The lines that reached the file, without line ends; ends the capture.
    // What still sits in stdout's buffer is not read: the DLL must flush each
    // line itself, as stdout is fully buffered on a pipe.
    std::vector<std::string> lines() {
        std::rewind(file_);
        std::vector<std::string> result(1);
        for (int c; (c = std::fgetc(file_)) != EOF;) {
            if (c == '\n') {
                result.emplace_back();
            } else if (c != '\r') {
                result.back() += static_cast<char>(c);
            }
        }
        if (result.back().empty()) result.pop_back();
        restore();
        return result;
    }

private:
    void restore() {
        if (saved_ < 0) return;
        std::fflush(stdout);
        _dup2(saved_, 1);
        _close(saved_);
        saved_ = -1;
    }

    char path_[MAX_PATH] = {};
    std::FILE* file_ = nullptr;
    int saved_ = -1;
};

// getSpecs once, its console lines kept out of the test's own output.
inline std::string reportOf(const Library& dll) {
    RawRecord result;
    long code;
    {
        CapturedOutput quiet;
        code = dll.getSpecs(nullptr, 0, result.value());
    }
    if (code != 0 || result.type() != 4) return "code " + std::to_string(code);
    return takeText(dll, result);
}

// The primary display adapter's name as a host reads it itself, through the
// ANSI entry point; empty when none is primary.
inline std::string primaryAdapterOfTheSystem() {
    DISPLAY_DEVICEA adapter{};
    adapter.cb = sizeof adapter;
    for (DWORD index = 0; EnumDisplayDevicesA(nullptr, index, &adapter, 0); ++index) {
        if (adapter.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) return adapter.DeviceString;
    }
    return "";
}

// A full report: four fields, a graphics name among them.
inline bool isFull(const std::string& report) {
    const std::size_t first = report.find(',');
    const std::size_t second = report.find(',', first + 1);
    const std::size_t last = report.rfind(',');
    return first != std::string::npos && second != std::string::npos && last > second + 1 &&
           last + 1 < report.size();
}

// The threads of this process, as the system counts them.
inline int threadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

// Points the DLL's import of `function` (from `fromDll`, or from whichever DLL
// it is imported: msvcrt.dll or UCRT's api-ms-win-crt-*.dll) at `replacement`
// until the object goes; the DLL's own code runs unchanged.
class PatchedImport {
public:
    PatchedImport(HMODULE module, const char* fromDll, const char* function, void* replacement) {
        auto* base = reinterpret_cast<unsigned char*>(module);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.VirtualAddress == 0) return;
        for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             entry->Name != 0; ++entry) {
            if (fromDll != nullptr && lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), fromDll) != 0) {
                continue;
            }
            auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                const auto* byName =
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
                slot_ = &slots->u1.Function;
                original_ = *slot_;
                write(reinterpret_cast<ULONG_PTR>(replacement));
                return;
            }
        }
    }
    ~PatchedImport() {
        if (slot_ != nullptr) write(original_);
    }
    PatchedImport(const PatchedImport&) = delete;
    PatchedImport& operator=(const PatchedImport&) = delete;

    bool applied() const { return slot_ != nullptr; }
    // The function the import was bound to.
    void* original() const { return reinterpret_cast<void*>(original_); }

private:
    void write(ULONG_PTR value) {
        DWORD old = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
        *slot_ = value;
        VirtualProtect(slot_, sizeof *slot_, old, &old);
    }

    ULONG_PTR* slot_ = nullptr;
    ULONG_PTR original_ = 0;
};

// A thread of the host's, running `work` and joined when the object goes. The
// win32-threaded C++ library the tests are built with has no std::thread.
class HostThread {
public:
    explicit HostThread(std::function<void()> work) : work_(std::move(work)) {
        handle_ = CreateThread(nullptr, 0, &HostThread::run, this, 0, nullptr);
        check(handle_ != nullptr, "CreateThread");
    }
    ~HostThread() { join(); }
    HostThread(const HostThread&) = delete;
    HostThread& operator=(const HostThread&) = delete;

    void join() {
        if (handle_ == nullptr) return;
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    static DWORD WINAPI run(void* self) {
        static_cast<HostThread*>(self)->work_();
        return 0;
    }

    std::function<void()> work_;
    HANDLE handle_ = nullptr;
};

// Prints the tally in the form the other tests use and gives the exit status.
inline int finish() {
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

}  // namespace harness

// Kestrine.dll as a Windows program loads it, run under Wine: the LLP64 value
// record, records left as they were on failure, sample with bytes above 127,
// and getSpecs with its console lines, its windows and a failing memory query.
// usage: windows_dll_test DLL_PATH [--no-display]
#include <windows.h>
#include <io.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../../interface/script_interface.h"

static_assert(sizeof(long) == 4 && offsetof(ScriptValue, type) == 8 && sizeof(ScriptValue) == 16,
              "LLP64: a 32-bit type at offset 8, bytes 12 to 15 free for the host");

namespace {

int passed = 0;
int failed = 0;
const char* group = "";

void check(bool ok, const std::string& what) {
    ok ? ++passed : ++failed;
    if (!ok) std::printf("FAIL [%s] %s\n", group, what.c_str());
}

void checkEqual(const std::string& what, const std::string& expected, const std::string& actual) {
    check(expected == actual, what + "\n  expected: \"" + expected + "\"\n  actual:   \"" + actual + "\"");
}

using ScriptFn = long (*)(ScriptValue*, long, ScriptValue*);

// The DLL and the entry points these tests call, found as a host finds them.
struct Library {
    HMODULE module;
    void (*freeMem)(void*) = nullptr;
    ScriptFn getSpecs = nullptr;
    ScriptFn sample = nullptr;

    explicit Library(const char* path) : module(LoadLibraryA(path)) {
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

std::string takeText(const Library& dll, const RawRecord& result) {
    const std::string text(result.text());
    dll.freeMem(const_cast<char*>(result.text()));
    return text;
}

// Captures file descriptor 1, which the DLL's std::cout reaches through
// msvcrt's stdout, for as long as the object lives.
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

struct Report {
    long code = -1;
    std::vector<std::string> fields;  // brand, processors, graphics, memory
    std::vector<std::string> console;
};

// One getSpecs call and its console lines. The graphics name may hold commas;
// the other fields cannot.
Report callGetSpecs(const Library& dll) {
    Report report;
    RawRecord result;
    {
        CapturedOutput output;
        report.code = dll.getSpecs(nullptr, 0, result.value());
        report.console = output.lines();
    }
    if (report.code != 0) return report;
    check(result.type() == 4 && result.hostBytesKept(), "getSpecs writes only data and type");
    const std::string text = takeText(dll, result);
    const std::size_t first = text.find(',');
    const std::size_t second = text.find(',', first + 1);
    const std::size_t last = text.rfind(',');
    if (first == std::string::npos || second == std::string::npos || last <= second) {
        check(false, "four fields in " + text);
        return report;
    }
    report.fields = {text.substr(0, first), text.substr(first + 1, second - first - 1),
                     text.substr(second + 1, last - second - 1), text.substr(last + 1)};
    return report;
}

// Top-level windows of this process, hidden ones included: GLFW's window, its
// helper window, or anything made on their behalf. Other processes of the
// run share the wineserver and may have a HelloWorld window of their own.
std::string windowsOfThisProcess() {
    std::string found;
    EnumWindows(
        [](HWND window, LPARAM out) -> BOOL {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == GetCurrentProcessId()) {
                char title[256] = {};
                char kind[256] = {};
                GetWindowTextA(window, title, sizeof title);
                GetClassNameA(window, kind, sizeof kind);
                *reinterpret_cast<std::string*>(out) += std::string(kind) + " \"" + title + "\"; ";
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// `type` is 32 bits here: the DLL must read and write bytes 8 to 11 only, so
// whatever the host keeps in bytes 12 to 15 neither changes nor matters.
void valueRecord(const Library& dll) {
    group = "value record";
    const char text[] = "caf\xc3\xa9 \xff\x80";
    RawRecord argument(text, 4);
    RawRecord result;
    checkEqual("sample reads type 4 with the sentinel above it", "0",
               std::to_string(dll.sample(argument.value(), 1, result.value())));
    checkEqual("type written as 32 bits", "4", std::to_string(result.type()));
    check(result.hostBytesKept(), "bytes 12 to 31 of the result kept");
    check(argument.hostBytesKept() && argument.text() == text && argument.type() == 4,
          "the argument record is only read");
    if (result.type() == 4) {
        checkEqual("bytes above 127 pass unchanged", "caf\xc3\xa9 \xff\x80, edited by Tovarin",
                   takeText(dll, result));
    }

    RawRecord typeThree(text, 3);
    RawRecord nullText(nullptr, 4);
    RawRecord fourAbove(text, 0);  // 4 in bytes 12 to 15, where a misplaced read would look
    const std::int32_t four = 4;
    std::memcpy(fourAbove.bytes + 12, &four, sizeof four);
    struct Case {
        const char* what;
        ScriptFn function;
        ScriptValue* args;
        long count;
    };
    const Case cases[] = {
        {"sample without an argument", dll.sample, nullptr, 0},
        {"sample with type 3", dll.sample, typeThree.value(), 1},
        {"sample with 4 only in bytes 12 to 15", dll.sample, fourAbove.value(), 1},
        {"sample with a null text", dll.sample, nullText.value(), 1},
        {"getSpecs with an argument", dll.getSpecs, argument.value(), 1},
    };
    for (const Case& c : cases) {
        RawRecord untouched;
        const RawRecord pristine;
        checkEqual(std::string(c.what) + " returns 20", "20",
                   std::to_string(c.function(c.args, c.count, untouched.value())));
        check(std::memcmp(untouched.bytes, pristine.bytes, sizeof pristine.bytes) == 0,
              std::string(c.what) + " leaves all 32 bytes of the record");
    }
}

// Two calls in one process: each prints its three lines first, with the
// report's figures, and leaves no window behind.
void getSpecsTwice(const Library& dll, bool display) {
    group = display ? "getSpecs" : "getSpecs without a display";
    std::vector<std::string> previous;
    for (int call = 1; call <= 2; ++call) {
        const std::string nth = "call " + std::to_string(call) + ": ";
        const auto start = std::chrono::steady_clock::now();
        const Report report = callGetSpecs(dll);
        const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start).count();
        std::printf("  getSpecs call %d: %lld ms\n", call, ms);
        checkEqual(nth + "returns 0", "0", std::to_string(report.code));
        if (report.fields.size() != 4) continue;
        const std::vector<std::string>& f = report.fields;
        std::string expected = "CPU Type: " + f[0] + "|Number of Cores: " + f[1] +
                               "|Total System Memory: " + f[3] + "MB|";
        if (!display) expected += "Failed to create GLFW window|";
        std::string lines;
        for (const std::string& line : report.console) lines += line + "|";
        checkEqual(nth + "console lines, flushed, in order, with the report's figures", expected, lines);
        check(display != f[2].empty(), nth + "graphics field \"" + f[2] + "\"");
        check(f[1] != "0" && f[3] != "0", nth + "processors and memory known");
        if (call == 2) check(f == previous, "both calls give the same report");
        previous = f;
        checkEqual(nth + "no window of this process left", "", windowsOfThisProcess());
    }
}

// Overlapping calls from two threads are serialised inside the DLL (winpthread's
// std::mutex): both get the full report.
void overlappingCalls(const Library& dll, bool display) {
    group = "two threads";
    const auto fullReport = [&dll](std::string& out) {
        RawRecord result;
        if (dll.getSpecs(nullptr, 0, result.value()) == 0) out = takeText(dll, result);
    };
    std::string alone, reports[2];
    std::vector<std::string> lines;
    {
        CapturedOutput quiet;  // both threads' lines interleave; only their number counts
        fullReport(alone);
        std::thread a(fullReport, std::ref(reports[0]));
        std::thread b(fullReport, std::ref(reports[1]));
        a.join();
        b.join();
        lines = quiet.lines();
    }
    checkEqual("console lines of three calls", display ? "9" : "12", std::to_string(lines.size()));
    check(!alone.empty(), "a call alone gives a report");
    checkEqual("first thread", alone, reports[0]);
    checkEqual("second thread", alone, reports[1]);
}

// Points the DLL's import of `function` at `replacement` until the object
// goes; the DLL's own code runs unchanged.
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
            if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), fromDll) != 0) continue;
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

int failedQueries = 0;

// Fails as the system may, after scribbling over the record it was given.
BOOL WINAPI failingGlobalMemoryStatusEx(LPMEMORYSTATUSEX status) {
    ++failedQueries;
    if (status != nullptr) status->ullTotalPhys = 0x7777777777777777ull;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

void memoryQueryFails(const Library& dll, bool display) {
    group = "memory query fails";
    Report report;
    {
        PatchedImport patch(dll.module, "KERNEL32.dll", "GlobalMemoryStatusEx",
                            reinterpret_cast<void*>(&failingGlobalMemoryStatusEx));
        check(patch.applied(), "Kestrine.dll imports GlobalMemoryStatusEx from KERNEL32.dll");
        if (!patch.applied()) return;
        report = callGetSpecs(dll);
    }
    checkEqual("the failing query was made once", "1", std::to_string(failedQueries));
    checkEqual("returns 0", "0", std::to_string(report.code));
    if (report.fields.size() != 4 || report.console.size() < 3) {
        check(false, "a full report and three console lines");
        return;
    }
    checkEqual("memory field", "0", report.fields[3]);
    checkEqual("memory line", "Total System Memory: 0MB", report.console[2]);
    check(display != report.fields[2].empty(), "the graphics probe still answers");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: windows_dll_test DLL_PATH [--no-display]\n", stderr);
        return 2;
    }
    const bool display = !(argc > 2 && std::strcmp(argv[2], "--no-display") == 0);
    Library dll(argv[1]);
    if (!dll.freeMem || !dll.getSpecs || !dll.sample) {
        std::printf("cannot load %s and its entry points (error %lu)\n0 passed, 1 failed\n",
                    argv[1], GetLastError());
        return 1;
    }
    if (display) valueRecord(dll);  // no graphics in it: once is enough
    getSpecsTwice(dll, display);
    overlappingCalls(dll, display);
    memoryQueryFails(dll, display);

    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

// Kestrine.dll as a Windows program loads it, run under Wine: the LLP64 value
// record, records left as they were on failure, sample with bytes above 127,
// and getSpecs with its console lines, its windows, a failing memory query and
// a machine of more than 64 logical processors.
// --no-window: run where no OpenGL 3.3 window can be made (no display, or an
// OpenGL below 3.3), so the graphics field is the primary display adapter's.
// usage: windows_dll_test DLL_PATH [--no-window]
#include <chrono>

#include "dll_harness.h"

namespace {

using namespace harness;

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
// report's figures, and leaves no window behind. Without a window the
// graphics field is the adapter's name.
void getSpecsTwice(const Library& dll, bool window) {
    group = window ? "getSpecs" : "getSpecs without a window";
    const std::string adapter = primaryAdapterOfTheSystem();
    if (!window) check(!adapter.empty(), "the system names a primary adapter");
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
        if (!window) expected += "Failed to create GLFW window|";
        std::string lines;
        for (const std::string& line : report.console) lines += line + "|";
        checkEqual(nth + "console lines, flushed, in order, with the report's figures", expected, lines);
        if (window) {
            // Which renderer, host_test.sh checks against glxinfo; on a real
            // machine it may read like the adapter's name.
            check(!f[2].empty(), nth + "graphics field \"" + f[2] + "\"");
        } else {
            checkEqual(nth + "graphics field is the primary adapter", adapter, f[2]);
        }
        check(f[1] != "0" && f[3] != "0", nth + "processors and memory known");
        if (call == 2) check(f == previous, "both calls give the same report");
        previous = f;
        checkEqual(nth + "no window of this process left", "", windowsOfThisProcess());
    }
}

// Overlapping calls from two threads are serialised inside the DLL: both get
// the full report.
void overlappingCalls(const Library& dll, bool window) {
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
        HostThread a([&] { fullReport(reports[0]); });
        HostThread b([&] { fullReport(reports[1]); });
        a.join();
        b.join();
        lines = quiet.lines();
    }
    checkEqual("console lines of three calls", window ? "9" : "12", std::to_string(lines.size()));
    check(!alone.empty(), "a call alone gives a report");
    checkEqual("first thread", alone, reports[0]);
    checkEqual("second thread", alone, reports[1]);
}

int failedQueries = 0;

// Fails as the system may, after scribbling over the record it was given.
BOOL WINAPI failingGlobalMemoryStatusEx(LPMEMORYSTATUSEX status) {
    ++failedQueries;
    if (status != nullptr) status->ullTotalPhys = 0x7777777777777777ull;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

void memoryQueryFails(const Library& dll) {
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
    check(!report.fields[2].empty(), "the graphics probe still answers");
}

// A machine of two processor groups of 48 as the system answers the DLL:
// GetSystemInfo counts the calling thread's group, GetActiveProcessorCount
// (found through GetProcAddress) all of them. Before Windows 7 there is no
// such function, and the look-up fails.
bool groupFunctionPresent = true;

void WINAPI oneGroupOf48(LPSYSTEM_INFO info) {
    GetSystemInfo(info);
    info->dwNumberOfProcessors = 48;
}

DWORD WINAPI twoGroupsOf48(WORD group) { return group == 0xFFFF ? 96 : group < 2 ? 48 : 0; }

FARPROC WINAPI lookUpOnTwoGroups(HMODULE module, LPCSTR name) {
    const bool byName = HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0;
    if (!byName || std::strcmp(name, "GetActiveProcessorCount") != 0) return GetProcAddress(module, name);
    if (!groupFunctionPresent) return nullptr;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&twoGroupsOf48));
}

void twoProcessorGroups(const Library& dll) {
    group = "two processor groups of 48";
    for (const bool present : {true, false}) {
        groupFunctionPresent = present;
        PatchedImport systemInfo(dll.module, nullptr, "GetSystemInfo",
                                 reinterpret_cast<void*>(&oneGroupOf48));
        PatchedImport lookUp(dll.module, nullptr, "GetProcAddress",
                             reinterpret_cast<void*>(&lookUpOnTwoGroups));
        check(systemInfo.applied() && lookUp.applied(), "the DLL imports GetSystemInfo and GetProcAddress");
        const Report report = callGetSpecs(dll);
        const std::string count = present ? "96" : "48";
        const std::string seen = report.fields.size() == 4 && report.console.size() >= 2
                                     ? report.fields[1] + ", " + report.console[1] : "no report";
        checkEqual(present ? "the whole machine" : "no group function: the one group",
                   count + ", Number of Cores: " + count, seen);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: windows_dll_test DLL_PATH [--no-window]\n", stderr);
        return 2;
    }
    const bool window = !(argc > 2 && std::strcmp(argv[2], "--no-window") == 0);
    Library dll(argv[1]);
    if (!dll.freeMem || !dll.getSpecs || !dll.sample) {
        std::printf("cannot load %s and its entry points (error %lu)\n0 passed, 1 failed\n",
                    argv[1], GetLastError());
        return 1;
    }
    if (window) valueRecord(dll);  // no graphics in it: once is enough
    getSpecsTwice(dll, window);
    overlappingCalls(dll, window);
    memoryQueryFails(dll);
    twoProcessorGroups(dll);

    return finish();
}

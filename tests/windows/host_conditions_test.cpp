// Kestrine.dll under the conditions real hosts put it in, under Wine: called
// from a worker thread; loaded, called and unloaded again and again; and in a
// host without standard output, as a GUI program has none.
// usage: windows_host_conditions_test DLL_PATH [--closed-stdout]
#include "dll_harness.h"

namespace {

using namespace harness;

// A worker thread of the host's gets the same report as the thread that
// loaded the library.
void workerThread(const Library& dll, const std::string& expected) {
    group = "worker thread";
    std::string report;
    HostThread worker([&] { report = reportOf(dll); });
    worker.join();
    checkEqual("report from a worker thread", expected, report);
}

// Each cycle loads the DLL, takes a report and unloads it. The DLL must leave
// nothing behind that outlives it: no module, no thread of its own, and every
// report as full as the first.
void loadCycles(const char* path, const std::string& expected, int cycles) {
    group = "load and unload";
    const int threadsBefore = threadsOfThisProcess();
    int fullReports = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        Library dll(path);
        if (dll.getSpecs == nullptr) {
            check(false, "cycle " + std::to_string(cycle) + ": loads");
            return;
        }
        fullReports += reportOf(dll) == expected ? 1 : 0;
    }
    checkEqual("full reports", std::to_string(cycles), std::to_string(fullReports));
    check(GetModuleHandleA("Kestrine.dll") == nullptr, "Kestrine.dll is unloaded after the last cycle");
    // Wine's own service threads may come and go, but not one per cycle.
    const int threadsAfter = threadsOfThisProcess();
    std::printf("  threads before %d, after %d cycles %d\n", threadsBefore, cycles, threadsAfter);
    check(threadsAfter < threadsBefore + cycles / 2, "no thread left per cycle");
}

// A GUI host has no standard output: the console lines go nowhere, and the
// report is still whole, call after call.
int closedStandardOutput(const char* path) {
    group = "standard output closed";
    std::fflush(stdout);
    _close(1);
    SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    Library dll(path);
    if (dll.getSpecs == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", path);
        return 1;
    }
    std::string reports[2];
    for (std::string& report : reports) {
        RawRecord result;
        const long code = dll.getSpecs(nullptr, 0, result.value());
        report = code == 0 && result.type() == 4 ? takeText(dll, result) : "code " + std::to_string(code);
    }
    // Standard error still reaches the test runner.
    const bool ok = isFull(reports[0]) && reports[1] == reports[0];
    std::fprintf(stderr, "%s: \"%s\", then \"%s\"\n%d passed, %d failed\n", ok ? "two full reports" : "FAIL",
                 reports[0].c_str(), reports[1].c_str(), ok ? 1 : 0, ok ? 0 : 1);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: windows_host_conditions_test DLL_PATH [--closed-stdout]\n", stderr);
        return 2;
    }
    if (argc > 2 && std::strcmp(argv[2], "--closed-stdout") == 0) return closedStandardOutput(argv[1]);

    std::string expected;
    {
        Library dll(argv[1]);
        if (dll.getSpecs == nullptr) {
            std::printf("cannot load %s (error %lu)\n0 passed, 1 failed\n", argv[1], GetLastError());
            return 1;
        }
        expected = reportOf(dll);
        check(isFull(expected), "a full report on the loading thread: " + expected);
        workerThread(dll, expected);
    }
    loadCycles(argv[1], expected, 20);
    return finish();
}

// Kestrine's warm getSpecs under Wine against its two floors: the bare GLFW
// sequence of the same static GLFW that Kestrine links, and the platform's own
// Win32/WGL sequence making the same window and context, both run in this
// program. Repetitions of each side run interleaved in a fresh random order,
// so a slow spell of the machine does not land on one side only; each side's
// figure is the median over repetitions of its mean per call. Further DLLs
// (an earlier build, say) join the same comparison.
// usage: windows_glfw_bench REPETITIONS CALLS DLL [DLL...]
#include <windows.h>
#include <io.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "../interface/script_interface.h"
#include "bare_glfw_sequence.h"
#include "raw_window_sequence.h"

namespace {

using ScriptFn = long (*)(ScriptValue*, long, ScriptValue*);
using FreeMemFn = void (*)(void*);

struct Side {
    std::string name;
    std::function<bool()> call;  // false when the call failed
    std::vector<double> meanMs;  // one per repetition
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: windows_glfw_bench REPETITIONS CALLS DLL [DLL...]\n", stderr);
        return 2;
    }
    const int repetitions = std::max(1, std::atoi(argv[1]));
    const int calls = std::max(1, std::atoi(argv[2]));

    std::vector<Side> sides;
    sides.push_back({"bare GLFW sequence", bareGlfwSequence, {}});
    sides.push_back({"raw Win32/WGL sequence", rawWindowSequence, {}});
    for (int i = 3; i < argc; ++i) {
        HMODULE dll = LoadLibraryA(argv[i]);  // kept loaded until the process ends
        auto getSpecs = dll != nullptr ? reinterpret_cast<ScriptFn>(
                                             reinterpret_cast<void*>(GetProcAddress(dll, "getSpecs")))
                                       : nullptr;
        auto freeMem = dll != nullptr ? reinterpret_cast<FreeMemFn>(
                                            reinterpret_cast<void*>(GetProcAddress(dll, "ESFreeMem")))
                                      : nullptr;
        if (getSpecs == nullptr || freeMem == nullptr) {
            std::fprintf(stderr, "cannot load %s (error %lu)\n", argv[i], GetLastError());
            return 1;
        }
        sides.push_back({std::string("getSpecs of ") + argv[i], [getSpecs, freeMem] {
                             ScriptValue result{};
                             if (getSpecs(nullptr, 0, &result) != ES_OK) return false;
                             freeMem(result.data);
                             return true;
                         }, {}});
    }

    // Kestrine's console lines go to a file while it is timed; the figures
    // come after. Not NUL: under Wine that is a character device, where each
    // write costs about a millisecond and would be timed as ours.
    char folder[MAX_PATH], linesFile[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "kbn", 0, linesFile);
    std::FILE* lines = std::fopen(linesFile, "w");
    if (lines == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", linesFile);
        return 1;
    }
    std::fflush(stdout);
    const int savedStdout = _dup(1);
    _dup2(_fileno(lines), 1);

    int failures = 0;
    for (Side& side : sides) failures += side.call() ? 0 : 1;  // first calls: not timed
    std::mt19937 shuffle(12345);
    std::vector<Side*> order;
    for (Side& side : sides) order.push_back(&side);
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        std::shuffle(order.begin(), order.end(), shuffle);
        for (Side* side : order) {
            const auto start = std::chrono::steady_clock::now();
            for (int call = 0; call < calls; ++call) failures += side->call() ? 0 : 1;
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            side->meanMs.push_back(took.count() / calls);
        }
    }

    std::fflush(stdout);
    _dup2(savedStdout, 1);
    _close(savedStdout);
    std::fclose(lines);
    DeleteFileA(linesFile);

    const double glfwFloor = median(sides[0].meanMs), rawFloor = median(sides[1].meanMs);
    std::printf("%d repetitions of %d calls each, interleaved; median of the per-call means\n", repetitions,
                calls);
    std::printf("%-58s %10s %10s %10s\n", "", "ms/call", "x GLFW", "x raw");
    for (const Side& side : sides) {
        const double ms = median(side.meanMs);
        std::printf("%-58s %10.2f %10.3f %10.3f\n", side.name.c_str(), ms, ms / glfwFloor, ms / rawFloor);
    }
    std::printf("(x GLFW: time against the bare GLFW sequence, target for Kestrine at most 1.03;\n"
                " x raw: against the platform's own Win32/WGL sequence)\n");
    if (failures != 0) std::printf("%d calls failed\n", failures);
    return failures == 0 ? 0 : 1;
}

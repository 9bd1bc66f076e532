// Figures for the library against its floors, measured in one run:
//  - sample at 16 B, 4 KiB and 1 MiB against one allocation plus one copy of
//    the same size;
//  - getSpecs without its graphics probe;
//  - getSpecs whole (first call in the process, then warm) against the bare
//    sequence of the same static GLFW that the library links, as medians of
//    interleaved blocks of calls (SPECS_BENCH_ROUNDS blocks of
//    SPECS_BENCH_BLOCK calls a side, 30 of 3 by default); built libraries
//    named in SPECS_BENCH_LIBRARIES (colon-separated, an earlier build say)
//    join them; and all of them against the raw Xlib/GLX sequence making the
//    same window and context, the platform's own floor, in the same rounds;
//  - the host's report as a whole process against `glxinfo -B`.
// Prints Google Benchmark's table, then the ratios.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../functions/cpu_brand.h"
#include "../functions/platform_probes.h"
#include "../functions/report.h"
#include "../interface/result_block.h"
#include "../interface/script_interface.h"
#include "bare_glfw_sequence.h"
#include "raw_window_sequence.h"

namespace {

constexpr std::size_t kSuffixLength = 19;  // ", edited by Tovarin"

void sampleCall(benchmark::State& state) {
    const std::string text(static_cast<std::size_t>(state.range(0)), 'x');
    ScriptValue arg{};
    arg.data = const_cast<char*>(text.c_str());
    arg.type = ES_TYPE_STRING;
    for (auto _ : state) {
        ScriptValue result{};
        if (sample(&arg, 1, &result) != ES_OK) state.SkipWithError("sample failed");
        benchmark::DoNotOptimize(result.data);
        ESFreeMem(result.data);
    }
}

// The floor for sample: one block of the result's size and one copy into it.
void allocateAndCopy(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0)) + kSuffixLength + 1;
    const std::string source(size, 'x');
    for (auto _ : state) {
        char* block = new char[size];
        std::memcpy(block, source.data(), size);
        benchmark::DoNotOptimize(block);
        benchmark::ClobberMemory();
        delete[] block;
    }
}

// Everything getSpecs does but the graphics probe.
void getSpecsWithoutGraphics(benchmark::State& state) {
    for (auto _ : state) {
        ProbeResults fields;
        fields.cpuBrand = cpuBrandFrom(executeCpuid);
        platform::announceBrand(fields.cpuBrand);
        const std::uint32_t processors = platform::logicalProcessorCount();
        fields.memoryMB = platform::totalMemoryMiB();
        fields.coreCount = std::to_string(processors);
        char* block = getNewBuffer(joinReport(fields));
        benchmark::DoNotOptimize(block);
        ESFreeMem(block);
    }
}

using ScriptFn = long (*)(ScriptValue*, long, ScriptValue*);
using FreeMemFn = void (*)(void*);

// One whole getSpecs through `call`; false when it failed or had no
// graphics name (is there a display?).
bool timedGetSpecs(ScriptFn call, FreeMemFn freeMem) {
    ScriptValue result{};
    if (call(nullptr, 0, &result) != ES_OK) return false;
    const bool full = std::strstr(static_cast<const char*>(result.data), ",,") == nullptr;
    freeMem(result.data);
    return full;
}

struct WarmSide {
    std::string name;
    std::function<bool()> call;
    std::vector<double> seconds;  // mean per call, one per round
};

// Warm calls of every side: each round runs a short block of calls of each
// side in a fresh random order. A window costs tens of milliseconds, and the
// X server and the driver's threads share two cores with it, so single calls
// spread widely: blocks narrow that, and interleaving them keeps a slow spell
// of the machine from landing on one side. Each side's figure is the median
// of its block means.
void runInterleaved(std::vector<WarmSide>& sides, int rounds, int callsPerBlock) {
    std::mt19937 shuffle(12345);
    std::vector<WarmSide*> order;
    for (WarmSide& side : sides) {
        side.call();  // not timed: the first call of a process pays for loading
        order.push_back(&side);
    }
    for (int round = 0; round < rounds; ++round) {
        std::shuffle(order.begin(), order.end(), shuffle);
        for (WarmSide* side : order) {
            const auto start = std::chrono::steady_clock::now();
            for (int call = 0; call < callsPerBlock; ++call) {
                if (!side->call()) std::fprintf(stderr, "%s failed\n", side->name.c_str());
            }
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            side->seconds.push_back(took.count() / callsPerBlock);
        }
    }
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string hostCommand;

void runCommand(benchmark::State& state, const std::string& command) {
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError(command.c_str());
    }
}

// Keeps each benchmark's real time per iteration, by name, for the ratio
// table: the median where a benchmark is repeated, else its one run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const double perIteration =
                run.iterations > 0 ? run.real_accumulated_time / static_cast<double>(run.iterations) : 0;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                seconds[run.run_name.str()] = perIteration;
            } else if (run.run_type == Run::RT_Iteration && run.repetitions <= 1) {
                seconds[run.run_name.str()] = perIteration;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

void printRatio(const RatioReporter& r, const char* what, const std::string& ours, const std::string& floor,
                const char* target) {
    const auto a = r.seconds.find(ours), b = r.seconds.find(floor);
    if (a == r.seconds.end() || b == r.seconds.end()) return;
    std::printf("%-34s %12.3f us %12.3f us %8.3f   %s\n", what, a->second * 1e6, b->second * 1e6,
                b->second / a->second, target);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string self = argv[0];
    const std::string folder = self.substr(0, self.find_last_of('/') + 1);
    hostCommand = std::getenv("SPECS_HOST") != nullptr ? std::getenv("SPECS_HOST") : folder + "specs-host";

    // The first getSpecs of the process, timed before anything else touches GLFW.
    const auto firstStart = std::chrono::steady_clock::now();
    ScriptValue firstResult{};
    getSpecs(nullptr, 0, &firstResult);
    const double firstSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - firstStart).count();
    ESFreeMem(firstResult.data);

    benchmark::RegisterBenchmark("getSpecs/withoutGraphics", getSpecsWithoutGraphics)->Unit(benchmark::kMicrosecond);
    for (long size : {16L, 4096L, 1048576L}) {
        benchmark::RegisterBenchmark(("sample/" + std::to_string(size)).c_str(), sampleCall)->Arg(size);
        benchmark::RegisterBenchmark(("allocateAndCopy/" + std::to_string(size)).c_str(), allocateAndCopy)->Arg(size);
    }
    benchmark::RegisterBenchmark("process/host getSpecs", runCommand, hostCommand + " getSpecs >/dev/null")
        ->Iterations(20)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("process/glxinfo -B", runCommand, std::string("glxinfo -B >/dev/null"))
        ->Iterations(20)->Unit(benchmark::kMillisecond);

    // Repetitions of different benchmarks run interleaved in random order, so
    // a slow spell of the machine does not land on one side only.
    std::vector<char*> arguments(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    int argumentCount = static_cast<int>(arguments.size());
    benchmark::Initialize(&argumentCount, arguments.data());
    RatioReporter reporter;
    reporter.seconds["getSpecs/first"] = firstSeconds;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // Warm getSpecs against the bare sequence, and against other builds of
    // the library named in SPECS_BENCH_LIBRARIES, each loaded as a host loads
    // it and kept loaded to the end.
    std::vector<WarmSide> sides;
    sides.push_back({"getSpecs/warm", [] { return timedGetSpecs(getSpecs, ESFreeMem); }, {}});
    sides.push_back({"glfw/bare", bareGlfwSequence, {}});
    sides.push_back({"raw/xlib-glx", rawWindowSequence, {}});
    std::vector<std::string> others;
    if (const char* list = std::getenv("SPECS_BENCH_LIBRARIES")) {
        std::istringstream paths(list);
        for (std::string path; std::getline(paths, path, ':');) {
            if (!path.empty()) others.push_back(path);
        }
    }
    for (const std::string& path : others) {
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        auto call = library != nullptr ? reinterpret_cast<ScriptFn>(dlsym(library, "getSpecs")) : nullptr;
        auto freeMem = library != nullptr ? reinterpret_cast<FreeMemFn>(dlsym(library, "ESFreeMem")) : nullptr;
        if (call == nullptr || freeMem == nullptr) {
            std::fprintf(stderr, "cannot load %s\n", path.c_str());
            continue;
        }
        sides.push_back({"getSpecs/library:" + path, [call, freeMem] { return timedGetSpecs(call, freeMem); }, {}});
    }
    const auto setting = [](const char* name, int fallback) {
        const char* value = std::getenv(name);
        return value != nullptr ? std::max(1, std::atoi(value)) : fallback;
    };
    const int rounds = setting("SPECS_BENCH_ROUNDS", 30);
    const int callsPerBlock = setting("SPECS_BENCH_BLOCK", 3);
    runInterleaved(sides, rounds, callsPerBlock);
    std::printf("\nwarm calls: %d rounds of interleaved blocks of %d calls (ms per call: median, min, max "
                "of the block means)\n", rounds, callsPerBlock);
    for (const WarmSide& side : sides) {
        reporter.seconds[side.name] = median(side.seconds);
        std::printf("  %-40s %8.2f %8.2f %8.2f\n", side.name.c_str(), median(side.seconds) * 1e3,
                    *std::min_element(side.seconds.begin(), side.seconds.end()) * 1e3,
                    *std::max_element(side.seconds.begin(), side.seconds.end()) * 1e3);
    }

    std::printf("\n%-34s %15s %15s %8s   %s\n", "ours against its floor", "ours", "floor", "speed", "target");
    for (const char* size : {"16", "4096", "1048576"}) {
        const std::string s = size;
        printRatio(reporter, ("sample " + s + " B").c_str(), "sample/" + s + "/" + s,
                   "allocateAndCopy/" + s + "/" + s,
                   s == "16" ? ">= 0.3" : s == "1048576" ? ">= 0.5" : "");
    }
    printRatio(reporter, "getSpecs warm vs bare GLFW", "getSpecs/warm", "glfw/bare",
               ">= 0.971 (at most 1.03x)");
    for (const std::string& path : others) {
        // Here the other library stands where the floor does: above 1.0, ours is faster.
        printRatio(reporter, ("getSpecs warm vs " + path).c_str(), "getSpecs/warm", "getSpecs/library:" + path,
                   "not slower (>= 1.0)");
    }
    printRatio(reporter, "getSpecs warm vs raw Xlib/GLX", "getSpecs/warm", "raw/xlib-glx", "");
    printRatio(reporter, "bare GLFW vs raw Xlib/GLX", "glfw/bare", "raw/xlib-glx", "");
    for (const std::string& path : others) {
        printRatio(reporter, (path + " vs raw Xlib/GLX").c_str(), "getSpecs/library:" + path, "raw/xlib-glx", "");
    }
    printRatio(reporter, "getSpecs first vs bare GLFW", "getSpecs/first", "glfw/bare", "");
    printRatio(reporter, "host process vs glxinfo -B", "process/host getSpecs/iterations:20",
               "process/glxinfo -B/iterations:20", "");
    const auto part = reporter.seconds.find("getSpecs/withoutGraphics");
    if (part != reporter.seconds.end()) {
        std::printf("%-34s %12.3f us %15s %8s   %s\n", "getSpecs without graphics", part->second * 1e6, "", "",
                    "< 30 us");
    }
    std::printf("(speed = floor time / our time: 1.0 means as fast as the floor)\n");
    benchmark::Shutdown();
    return 0;
}

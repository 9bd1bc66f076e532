// Figures for the library against its floors, measured in one run:
//  - sample at 16 B, 4 KiB and 1 MiB against one allocation plus one copy of
//    the same size;
//  - getSpecs without its graphics probe;
//  - getSpecs whole (first call in the process, then warm) against the bare
//    GLFW sequence alone, as medians of randomly interleaved repetitions;
//  - the host's report as a whole process against `glxinfo -B`.
// Prints Google Benchmark's table, then the ratios.
#include <benchmark/benchmark.h>

#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "../functions/cpu_brand.h"
#include "../functions/platform_probes.h"
#include "../functions/report.h"
#include "../interface/result_block.h"
#include "../interface/script_interface.h"

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

void getSpecsWhole(benchmark::State& state) {
    for (auto _ : state) {
        ScriptValue result{};
        if (getSpecs(nullptr, 0, &result) != ES_OK) state.SkipWithError("getSpecs failed");
        if (std::strstr(static_cast<const char*>(result.data), ",,") != nullptr) {
            state.SkipWithError("no graphics name: is there a display?");
        }
        ESFreeMem(result.data);
    }
}

// The GLFW sequence alone, with nothing of ours around it.
void bareGlfwSequence(benchmark::State& state) {
    for (auto _ : state) {
        glfwInit();
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
        GLFWwindow* window = glfwCreateWindow(800, 800, "HelloWorld", nullptr, nullptr);
        glfwMakeContextCurrent(window);
        benchmark::DoNotOptimize(glGetString(GL_RENDERER));
        glfwTerminate();
    }
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

    // A window costs tens of milliseconds and the X server and the driver's
    // threads share two cores with it: medians of interleaved repetitions
    // keep the comparison fair.
    benchmark::RegisterBenchmark("getSpecs/warm", getSpecsWhole)
        ->MinTime(1)->Repetitions(7)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("glfw/bare", bareGlfwSequence)
        ->MinTime(1)->Repetitions(7)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
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

    std::printf("\n%-34s %15s %15s %8s   %s\n", "ours against its floor", "ours", "floor", "speed", "target");
    for (const char* size : {"16", "4096", "1048576"}) {
        const std::string s = size;
        printRatio(reporter, ("sample " + s + " B").c_str(), "sample/" + s + "/" + s,
                   "allocateAndCopy/" + s + "/" + s,
                   s == "16" ? ">= 0.3" : s == "1048576" ? ">= 0.5" : "");
    }
    printRatio(reporter, "getSpecs warm vs bare GLFW", "getSpecs/warm/min_time:1.000/repeats:7", "glfw/bare/min_time:1.000/repeats:7",
               ">= 0.971 (at most 1.03x)");
    printRatio(reporter, "getSpecs first vs bare GLFW", "getSpecs/first", "glfw/bare/min_time:1.000/repeats:7", "");
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

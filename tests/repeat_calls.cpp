// Loads the built library as the host does and calls it many times in one
// process: for valgrind over many calls, and for the resident-memory soak.
// usage: repeat_calls LIBRARY GETSPECS_CALLS SAMPLE_CALLS [RSS_AT,RSS_AT...]
// Prints resident memory (the working set on Windows) after each listed
// getSpecs count, 0 meaning before the first; exits 1 when a call fails or
// returns something other than what it should. Builds for Linux and Windows.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>
#include <string>

#include "../host/library_loader.h"
#include "../interface/script_interface.h"
#include "process_memory.h"

namespace {

using ScriptFn = long (*)(ScriptValue*, long, ScriptValue*);
using FreeMemFn = void (*)(void*);

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: repeat_calls LIBRARY GETSPECS_CALLS SAMPLE_CALLS [RSS_AT,...]\n");
        return 2;
    }
    LoadedLibrary library(argv[1]);
    if (!library.isOpen()) {
        std::fprintf(stderr, "repeat_calls: %s\n", library.error().c_str());
        return 2;
    }
    auto getSpecs = reinterpret_cast<ScriptFn>(library.symbol("getSpecs"));
    auto sample = reinterpret_cast<ScriptFn>(library.symbol("sample"));
    auto freeMem = reinterpret_cast<FreeMemFn>(library.symbol("ESFreeMem"));
    const long specsCalls = std::atol(argv[2]);
    const long sampleCalls = std::atol(argv[3]);
    std::set<long> rssAt;
    if (argc > 4) {
        std::istringstream list(argv[4]);
        for (std::string item; std::getline(list, item, ',');) rssAt.insert(std::atol(item.c_str()));
    }
    // Wine passes DISPLAY on to Windows programs, so this holds there too.
    const bool expectGraphics = std::getenv("DISPLAY") != nullptr;

    if (rssAt.count(0) != 0) std::printf("resident before getSpecs: %ld KiB\n", residentKiB());
    std::fflush(stdout);
    std::string firstReport;
    int failures = 0;
    for (long call = 1; call <= specsCalls; ++call) {
        ScriptValue result{};
        if (getSpecs(nullptr, 0, &result) != ES_OK) {
            ++failures;
            continue;
        }
        const std::string report(static_cast<const char*>(result.data));
        freeMem(result.data);
        if (firstReport.empty()) firstReport = report;
        // Every report must be as full as the first; an empty graphics field
        // with a display means a probe failed.
        if (report != firstReport || (expectGraphics && report.find(",,") != std::string::npos)) {
            std::fprintf(stderr, "call %ld: %s\n", call, report.c_str());
            ++failures;
        }
        if (rssAt.count(call) != 0) {
            std::printf("resident after %ld getSpecs: %ld KiB\n", call, residentKiB());
            std::fflush(stdout);
        }
    }

    char text[] = "repeated text \xc3\xa9";
    const std::string expected = std::string(text) + ", edited by Tovarin";
    for (long call = 1; call <= sampleCalls; ++call) {
        ScriptValue arg{};
        arg.data = text;
        arg.type = ES_TYPE_STRING;
        ScriptValue result{};
        if (sample(&arg, 1, &result) != ES_OK || expected != static_cast<const char*>(result.data)) {
            ++failures;
        }
        freeMem(result.data);
    }
    std::printf("%ld getSpecs, %ld sample calls, %d failed; report: %s\n", specsCalls, sampleCalls,
                failures, firstReport.c_str());
    return failures == 0 ? 0 : 1;
}

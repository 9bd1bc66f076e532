// Command-line stand-in for the script host: loads the library, calls one
// script function with text arguments and prints what it returns.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../interface/script_interface.h"
#include "library_loader.h"

namespace {

using InitializeFn = char* (*)(void*);
using TerminateFn = void (*)();
using VersionFn = long (*)();
using FreeMemFn = void (*)(void*);
using ScriptFn = long (*)(ScriptValue*, long, ScriptValue*);

constexpr int kUsageError = 2;
constexpr int kLoadError = 3;

void printUsage(std::FILE* out) {
    std::fputs(
        "usage: specs-host [--library PATH] FUNCTION [TEXT ...]\n"
        "       specs-host [--library PATH] --list\n"
        "       specs-host [--library PATH] --where FUNCTION\n"
        "       specs-host --help\n"
        "\n"
        "Loads the library (by default the one beside this program), calls\n"
        "ESInitialize, then the script function FUNCTION (getSpecs or sample) with\n"
        "each TEXT as a string argument, prints the returned text and a newline,\n"
        "gives the text back through ESFreeMem and calls ESTerminate.\n"
        "A non-zero return code is printed to standard error and is the exit status.\n"
        "--list prints the function list that ESInitialize returns and the version.\n"
        "--where prints where the entry point FUNCTION is in memory and where the\n"
        "library starts, the two addresses a crash report gives a symbolizer.\n"
        "\n"
        "  specs-host getSpecs\n"
        "  specs-host sample \"some text\"\n",
        out);
}

bool isLifecycleName(const std::string& name) {
    return name == "ESInitialize" || name == "ESTerminate" || name == "ESGetVersion" ||
           name == "ESFreeMem";
}

}  // namespace

int main(int argc, char** argv) {
    std::string libraryPath;
    int next = 1;
    if (next < argc && std::strcmp(argv[next], "--help") == 0) {
        printUsage(stdout);
        return 0;
    }
    if (next + 1 < argc && std::strcmp(argv[next], "--library") == 0) {
        libraryPath = argv[next + 1];
        next += 2;
    }
    if (next >= argc) {
        printUsage(stderr);
        return kUsageError;
    }
    const std::string function = argv[next++];
    if (function == "--where" && next + 1 != argc) {
        printUsage(stderr);
        return kUsageError;
    }
    if (function != "--list" && function != "--where" &&
        (function.rfind("--", 0) == 0 || isLifecycleName(function))) {
        std::fprintf(stderr, "specs-host: %s is not a script function\n", function.c_str());
        printUsage(stderr);
        return kUsageError;
    }
    if (libraryPath.empty()) libraryPath = LoadedLibrary::defaultPath();

    LoadedLibrary library(libraryPath);
    if (!library.isOpen()) {
        std::fprintf(stderr, "specs-host: cannot load %s: %s\n", libraryPath.c_str(),
                     library.error().c_str());
        return kLoadError;
    }
    if (function == "--where") {
        void* address = library.symbol(argv[next]);
        if (address == nullptr) {
            std::fprintf(stderr, "specs-host: %s exports no %s\n", libraryPath.c_str(), argv[next]);
            return kLoadError;
        }
        // Printed alike on every system (%p has no 0x on Windows).
        std::printf("0x%" PRIxPTR " 0x%" PRIxPTR "\n", reinterpret_cast<std::uintptr_t>(address),
                    reinterpret_cast<std::uintptr_t>(LoadedLibrary::imageStart(address)));
        return 0;
    }
    auto initialize = reinterpret_cast<InitializeFn>(library.symbol("ESInitialize"));
    auto terminate = reinterpret_cast<TerminateFn>(library.symbol("ESTerminate"));
    auto version = reinterpret_cast<VersionFn>(library.symbol("ESGetVersion"));
    auto freeMem = reinterpret_cast<FreeMemFn>(library.symbol("ESFreeMem"));
    if (!initialize || !terminate || !version || !freeMem) {
        std::fprintf(stderr, "specs-host: %s lacks the lifecycle entry points\n",
                     libraryPath.c_str());
        return kLoadError;
    }

    const char* functionList = initialize(nullptr);
    if (function == "--list") {
        std::printf("%s\nversion %ld\n", functionList != nullptr ? functionList : "",
                    version());
        terminate();
        return 0;
    }

    auto script = reinterpret_cast<ScriptFn>(library.symbol(function.c_str()));
    if (script == nullptr) {
        std::fprintf(stderr, "specs-host: %s exports no %s\n", libraryPath.c_str(),
                     function.c_str());
        terminate();
        return kLoadError;
    }

    std::vector<ScriptValue> args;
    for (; next < argc; ++next) {
        ScriptValue value{};
        value.data = argv[next];
        value.type = ES_TYPE_STRING;
        args.push_back(value);
    }
    ScriptValue result{};
    std::fflush(stdout);  // keep our lines and the library's in call order
    const long code = script(args.data(), static_cast<long>(args.size()), &result);
    if (code != ES_OK) {
        std::fprintf(stderr, "specs-host: %s returned %ld\n", function.c_str(), code);
        terminate();
        return static_cast<int>(code);
    }
    if (result.type == ES_TYPE_STRING && result.data != nullptr) {
        std::printf("%s\n", static_cast<const char*>(result.data));
        std::fflush(stdout);
        freeMem(result.data);
    }
    terminate();
    return 0;
}

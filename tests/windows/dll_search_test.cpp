// Nothing enters a host through Kestrine.dll but Windows' own DLLs. A logging
// opengl32 stand-in is planted under each name Kestrine or GLFW asks for that
// is no KnownDLL in the host's, Kestrine's, the current and a PATH folder. A copy of this program there, importing no
// opengl32, loads Kestrine by full path, with LOAD_WITH_ALTERED_SEARCH_PATH,
// and after its own opengl32.dll (the stand-in), which Kestrine must use. No
// planted copy may run; getSpecs names the renderer (the adapter, --no-window).
// usage: windows_dll_search_test DLL_PATH STANDIN_DLL [--no-window]
#include "dll_harness.h"

#include <shellapi.h>

#include <fstream>

namespace {

using namespace harness;

// The host in the laid-out folders; its exit code is its failed checks.
int runHost(const std::string& mode, const std::string& root, bool window) {
    group = mode.c_str();
    const std::string own = root + "\\own\\opengl32.dll", kestrine = root + "\\kestrine\\Kestrine.dll";
    HMODULE ownGl = mode == "host-opengl32" ? LoadLibraryA(own.c_str()) : nullptr;
    Library dll(kestrine.c_str(), mode == "altered-search-path" ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
    check(dll.module != nullptr, "Kestrine.dll loads (error " + std::to_string(GetLastError()) + ")");
    if (dll.module == nullptr) return failed;
    const std::string report = reportOf(dll);
    const bool adapter = report.find("," + primaryAdapterOfTheSystem() + ",") != std::string::npos;
    check(isFull(report) && adapter != window, "a full report: " + report);
    if (ownGl != nullptr) {
        auto calls = reinterpret_cast<LONG(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(ownGl, "standinCalls")));
        check(calls != nullptr && calls() > 0, "Kestrine and GLFW used the host's opengl32.dll");
    }
    return failed;
}

}  // namespace

int main(int argc, char** argv) {
    const bool window = std::string(argv[argc - 1]) != "--no-window";
    if (argc >= 4 && std::string(argv[1]) == "--host") return runHost(argv[2], argv[3], window) == 0 ? 0 : 1;
    char temp[MAX_PATH] = {}, root[MAX_PATH] = {}, self[MAX_PATH] = {}, path[32767] = {};
    GetTempPathA(MAX_PATH, temp);
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string made = temp + std::string("kestrine-dll-search-") + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(made.c_str(), nullptr);
    GetLongPathNameA(made.c_str(), root, MAX_PATH);  // as module paths name it, without 8.3 names
    const std::string base = root;
    std::vector<std::pair<std::string, std::string>> copies = {
        {self, "host\\search-host.exe"}, {argv[1], "kestrine\\Kestrine.dll"}, {argv[2], "own\\opengl32.dll"}};
    for (const std::string folder : {"host", "kestrine", "current", "path", "own"}) {
        CreateDirectoryA((base + "\\" + folder).c_str(), nullptr);
        for (const char* name : {"opengl32", "dwmapi", "dinput8", "xinput1_4", "xinput1_3", "xinput9_1_0",
                                 "xinput1_2", "xinput1_1", "vulkan-1"}) {
            if (folder != "own") copies.emplace_back(argv[2], folder + "\\" + name + ".dll");
        }
    }
    for (const auto& [from, to] : copies) check(CopyFileA(from.c_str(), (base + "\\" + to).c_str(), FALSE), to);
    GetEnvironmentVariableA("PATH", path, sizeof path);  // the host inherits both
    SetEnvironmentVariableA("PATH", (base + "\\path;" + path).c_str());
    const std::string log = base + "\\planted.log";
    SetEnvironmentVariableA("PLANTED_DLL_LOG", log.c_str());
    for (const char* mode : {"full-path", "altered-search-path", "host-opengl32"}) {
        group = mode;
        DeleteFileA(log.c_str());
        std::string command = "\"" + base + "\\host\\search-host.exe\" --host " + mode + " \"" + base + "\"" +
                              (window ? "" : " --no-window");
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        DWORD code = 999;
        if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, (base + "\\current").c_str(),
                           &startup, &process)) {
            WaitForSingleObject(process.hProcess, 300000);
            GetExitCodeProcess(process.hProcess, &code);
            CloseHandle(process.hThread), CloseHandle(process.hProcess);
        }
        checkEqual("the host's checks pass (its exit code)", "0", std::to_string(code));
        std::ifstream file(log, std::ios::binary);  // the host's own copy logs too; any other ran planted
        std::string ran((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const std::string ownLine = base + "\\own\\opengl32.dll\n";
        for (std::size_t at; (at = ran.find(ownLine)) != std::string::npos;) ran.erase(at, ownLine.size());
        checkEqual("no planted DLL ran", "", ran);
    }
    const std::string folders = base + '\0';  // a list, ended by a second NUL
    SHFILEOPSTRUCTA remove{nullptr, FO_DELETE, folders.c_str(), nullptr, FOF_NO_UI, FALSE, nullptr, nullptr};
    SHFileOperationA(&remove);
    return finish();
}

// Nothing enters a host through Kestrine.dll but Windows' own DLLs. A DLL that
// writes its path to a log when it runs is planted under each name Kestrine or
// GLFW asks for that is no KnownDLL (and shcore, none before Windows 8.1) in
// the host's folder, Kestrine's own folder, the current folder and a folder on
// the PATH; none may run, at load or in getSpecs, no module may come from
// those folders, and getSpecs still gives a full report with the renderer's
// name. The program lays the folders out and runs a copy of itself there as
// the host (which imports no opengl32), three times: Kestrine loaded by full
// path as most hosts do; with LOAD_WITH_ALTERED_SEARCH_PATH; and after the
// host has loaded an opengl32.dll of its own by full path (a proxy counting the
// calls it forwards to the system's), which Kestrine and GLFW then use too.
// usage: windows_dll_search_test DLL_PATH PLANTED_DLL PROXY_DLL [--no-window]
#include <algorithm>

#include "dll_harness.h"

namespace {

using namespace harness;

const char* const kPlantedNames[] = {"opengl32",    "dwmapi",    "dinput8",   "xinput1_4", "xinput1_3",
                                     "xinput9_1_0", "xinput1_2", "xinput1_1", "vulkan-1",  "shcore"};
const char* const kFolders[] = {"host", "kestrine", "current", "path"};
const char* const kModes[] = {"full-path", "altered-search-path", "host-opengl32"};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }
std::string baseName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

std::string systemFolder() {
    char path[MAX_PATH] = {};
    GetSystemDirectoryA(path, MAX_PATH);
    return path;
}

// The modules of this process as the system lists them, by full path.
std::vector<std::string> modulesOfThisProcess() {
    std::vector<std::string> paths;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    if (snapshot == INVALID_HANDLE_VALUE) return paths;
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry)) {
        paths.emplace_back(entry.szExePath);
    }
    CloseHandle(snapshot);
    return paths;
}

template <typename Function>
Function entry(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// GL_RENDERER of a context the host makes itself through gdi32 and the
// opengl32.dll in the process: the name the report must carry.
std::string rendererOfOwnContext() {
    HMODULE gl = GetModuleHandleA("opengl32.dll");
    if (gl == nullptr) return "no opengl32.dll in the process";
    auto create = entry<HGLRC(WINAPI*)(HDC)>(gl, "wglCreateContext");
    auto makeCurrent = entry<BOOL(WINAPI*)(HDC, HGLRC)>(gl, "wglMakeCurrent");
    auto destroy = entry<BOOL(WINAPI*)(HGLRC)>(gl, "wglDeleteContext");
    auto getString = entry<const char*(WINAPI*)(unsigned)>(gl, "glGetString");
    if (!create || !makeCurrent || !destroy || !getString) return "opengl32.dll lacks WGL";
    HWND window = CreateWindowExA(0, "STATIC", "renderer", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                  nullptr, nullptr);
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 24;
    std::string name = "no context";
    if (SetPixelFormat(dc, ChoosePixelFormat(dc, &format), &format)) {
        if (HGLRC context = create(dc)) {
            makeCurrent(dc, context);
            const char* renderer = getString(0x1F01);  // GL_RENDERER
            name = renderer != nullptr ? renderer : "no renderer";
            makeCurrent(nullptr, nullptr);
            destroy(context);
        }
    }
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return name;
}

// The host, in the folders the parent laid out: returns its failed checks.
int runHost(const std::string& mode, const std::string& root, bool window) {
    group = mode.c_str();
    HMODULE own = nullptr;
    if (mode == "host-opengl32") {
        own = LoadLibraryA((root + "\\own\\opengl32.dll").c_str());
        check(own != nullptr, "the host loads its own opengl32.dll");
    }
    const std::string kestrine = root + "\\kestrine\\Kestrine.dll";
    Library dll(kestrine.c_str(), mode == "altered-search-path" ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
    check(dll.module != nullptr, "Kestrine.dll loads (error " + std::to_string(GetLastError()) + ")");
    if (dll.module == nullptr) return failed;

    const std::string report = reportOf(dll);
    check(isFull(report), "a full report: " + report);
    const std::size_t second = report.find(',', report.find(',') + 1);
    const std::string graphics = report.substr(second + 1, report.rfind(',') - second - 1);

    const std::string system = lower(systemFolder());
    const std::string ownFolder = lower(root + "\\own");
    for (const std::string& path : modulesOfThisProcess()) {
        const std::string folder = lower(folderOf(path));
        const std::string name = lower(baseName(path));
        if (folder.rfind(lower(root), 0) == 0) {
            const bool expected = name == "search-host.exe" || lower(path) == lower(kestrine) ||
                                  (own != nullptr && folder == ownFolder && name == "opengl32.dll");
            check(expected, "a module from the test's folders: " + path);
        }
        for (const char* planted : kPlantedNames) {
            if (name != std::string(planted) + ".dll" || folder == ownFolder) continue;
            checkEqual(name + " comes from the system folder", system, folder);
        }
    }
    if (own != nullptr) {
        auto calls = entry<LONG(WINAPI*)()>(own, "proxyCalls");
        check(calls != nullptr && calls() > 0,
              "Kestrine and GLFW used the host's opengl32.dll, already in the process");
    }
    if (window) {
        checkEqual("the graphics field is the renderer's name", rendererOfOwnContext(), graphics);
    } else {
        checkEqual("the graphics field is the primary adapter", primaryAdapterOfTheSystem(), graphics);
    }
    std::printf("  %s: %s\n", mode.c_str(), report.c_str());
    std::fflush(stdout);
    return failed;
}

bool copy(const std::string& from, const std::string& to) {
    const bool ok = CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
    check(ok, "copy " + from + " to " + to);
    return ok;
}

void removeTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string readFile(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
        std::fclose(file);
    }
    return text;
}

// Runs the host copy in `mode` with the current folder and PATH laid out;
// returns its exit code.
DWORD runHostProcess(const std::string& root, const std::string& mode, bool window) {
    std::string command = "\"" + root + "\\host\\search-host.exe\" --host " + mode + " \"" + root + "\"";
    if (!window) command += " --no-window";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, (root + "\\current").c_str(),
                        &startup, &process)) {
        return GetLastError() | 0x10000;
    }
    DWORD code = 0x20000;
    if (WaitForSingleObject(process.hProcess, 300000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--host") {
        const int failures = runHost(argv[2], argv[3], !(argc > 4 && std::string(argv[4]) == "--no-window"));
        return std::min(failures, 255);
    }
    if (argc < 4) {
        std::printf("usage: windows_dll_search_test DLL_PATH PLANTED_DLL PROXY_DLL [--no-window]\n");
        return 2;
    }
    const bool window = !(argc > 4 && std::string(argv[4]) == "--no-window");

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string root = std::string(temp) + "kestrine-dll-search-" + std::to_string(GetCurrentProcessId());
    removeTree(root);
    CreateDirectoryA(root.c_str(), nullptr);
    std::printf("folders: %s\n", root.c_str());

    group = "layout";
    bool laidOut = true;
    for (const char* folder : kFolders) {
        CreateDirectoryA((root + "\\" + folder).c_str(), nullptr);
        for (const char* name : kPlantedNames) {
            laidOut &= copy(argv[2], root + "\\" + folder + "\\" + name + ".dll");
        }
    }
    CreateDirectoryA((root + "\\own").c_str(), nullptr);
    laidOut &= copy(self, root + "\\host\\search-host.exe") && copy(argv[1], root + "\\kestrine\\Kestrine.dll") &&
               copy(argv[3], root + "\\own\\opengl32.dll");

    // The host's PATH starts with a planted folder, and the log is where the
    // planted DLLs write; both are inherited.
    char path[32767] = {};
    GetEnvironmentVariableA("PATH", path, sizeof path);
    SetEnvironmentVariableA("PATH", (root + "\\path;" + path).c_str());
    const std::string log = root + "\\planted.log";
    SetEnvironmentVariableA("PLANTED_DLL_LOG", log.c_str());

    for (const char* mode : kModes) {
        if (!laidOut) break;
        group = mode;
        DeleteFileA(log.c_str());
        const DWORD code = runHostProcess(root, mode, window);
        checkEqual("the host's checks pass (exit code)", "0", std::to_string(code));
        checkEqual("no planted DLL ran", "", readFile(log));
    }
    removeTree(root);
    return finish();
}

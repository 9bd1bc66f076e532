// A host that renders with OpenGL on its scripting thread, under Wine: its own
// window and WGL context stay current, foreground and focused across getSpecs,
// and the library leaves no window class, module or thread behind.
// usage: windows_host_state_test DLL_PATH
#include "dll_harness.h"

#include <GL/gl.h>

#include <set>

namespace {

using namespace harness;

constexpr const wchar_t* kHostClass = L"KestrineTestHost";

// The host's window with a legacy WGL context of its own, current on this
// thread, the window foreground, active and focused.
struct HostWindow {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;

    HostWindow() {
        WNDCLASSW windowClass{};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kHostClass;
        RegisterClassW(&windowClass);
        window = CreateWindowW(kHostClass, L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 200,
                               nullptr, nullptr, windowClass.hInstance, nullptr);
        if (window == nullptr) return;
        dc = GetDC(window);
        PIXELFORMATDESCRIPTOR format{};
        format.nSize = sizeof format;
        format.nVersion = 1;
        format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        format.iPixelType = PFD_TYPE_RGBA;
        format.cColorBits = 32;
        format.cDepthBits = 24;
        const int chosen = ChoosePixelFormat(dc, &format);
        if (chosen != 0 && SetPixelFormat(dc, chosen, &format)) context = wglCreateContext(dc);
        if (context != nullptr) wglMakeCurrent(dc, context);
        SetForegroundWindow(window);
        SetActiveWindow(window);
        SetFocus(window);
        // Wine hands foreground to the window once the X server has answered,
        // which under qemu (ARM64) can take longer than one look at the queue.
        for (int waited = 0; waited == 0 || (GetForegroundWindow() != window && waited < 100); ++waited) {
            if (waited > 0) Sleep(50);
            for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
        }
    }
    ~HostWindow() {
        wglMakeCurrent(nullptr, nullptr);
        if (context != nullptr) wglDeleteContext(context);
        if (window != nullptr) DestroyWindow(window);
        UnregisterClassW(kHostClass, GetModuleHandleW(nullptr));
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
};

bool classRegistered(HINSTANCE instance, const wchar_t* name) {
    WNDCLASSEXW found{};
    found.cbSize = sizeof found;
    return GetClassInfoExW(instance, name, &found) != FALSE;
}

std::set<std::string> modulesOfThisProcess() {
    std::set<std::string> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return names;
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry)) {
        names.insert(entry.szModule);
    }
    CloseHandle(snapshot);
    return names;
}

std::string pointer(const void* value) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", value);
    return text;
}

// What the host has on this thread when a script call returns, as the system
// reports it: the OpenGL context and its answer, the input state, and the
// library's window classes (GLFW 3.4 registers them with the DLL's instance).
void checkHostState(const HostWindow& host, HMODULE library) {
    checkEqual("current context", pointer(host.context), pointer(wglGetCurrentContext()));
    checkEqual("current DC", pointer(host.dc), pointer(wglGetCurrentDC()));
    check(glGetString(GL_RENDERER) != nullptr, "GL_RENDERER answers in the host's context");
    checkEqual("foreground window", pointer(host.window), pointer(GetForegroundWindow()));
    checkEqual("active window", pointer(host.window), pointer(GetActiveWindow()));
    checkEqual("focus", pointer(host.window), pointer(GetFocus()));
    check(!classRegistered(library, L"GLFW30"), "GLFW's window class is unregistered");
    check(!classRegistered(library, L"GLFW3 Helper"), "GLFW's helper window class is unregistered");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: windows_host_state_test DLL_PATH\n", stderr);
        return 2;
    }
    HostWindow host;
    Library dll(argv[1]);
    if (host.context == nullptr || dll.getSpecs == nullptr) {
        std::printf("no host context (%s) or cannot load %s\n0 passed, 1 failed\n",
                    pointer(host.context).c_str(), argv[1]);
        return 1;
    }
    // The host's state as set up, and the class check answering for a class
    // that is registered: otherwise the checks after a call prove nothing.
    group = "before getSpecs";
    checkHostState(host, dll.module);
    check(classRegistered(GetModuleHandleW(nullptr), kHostClass), "the host's own class is found");

    std::set<std::string> modulesAfterFirst;
    int threadsAfterFirst = 0;
    for (int call = 1; call <= 2; ++call) {
        group = call == 1 ? "first call" : "second call";
        // Each call starts from the host's own context, so it is judged alone.
        wglMakeCurrent(host.dc, host.context);
        const std::string report = reportOf(dll);
        check(isFull(report), "a full report: " + report);
        checkHostState(host, dll.module);
        if (call == 1) {
            // Wine's device-notification thread starts on the first call and stays.
            modulesAfterFirst = modulesOfThisProcess();
            threadsAfterFirst = threadsOfThisProcess();
            continue;
        }
        const std::set<std::string> modules = modulesOfThisProcess();
        const int threads = threadsOfThisProcess();
        std::printf("  modules %zu, threads %d after the first call; %zu, %d after the second\n",
                    modulesAfterFirst.size(), threadsAfterFirst, modules.size(), threads);
        std::string added;
        for (const std::string& name : modules) {
            if (modulesAfterFirst.count(name) == 0) added += " " + name;
        }
        checkEqual("modules added by the second call", "", added);
        check(threads <= threadsAfterFirst, "threads after the first call " + std::to_string(threadsAfterFirst) +
                                                ", after the second " + std::to_string(threads));
    }

    // A host with no context current gets none back.
    group = "no context current";
    wglMakeCurrent(nullptr, nullptr);
    const std::string report = reportOf(dll);
    check(isFull(report), "a full report: " + report);
    checkEqual("current context", pointer(nullptr), pointer(wglGetCurrentContext()));
    checkEqual("current DC", pointer(nullptr), pointer(wglGetCurrentDC()));
    return finish();
}

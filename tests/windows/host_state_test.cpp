// A host that renders with OpenGL on its scripting thread, under Wine: its own
// window and WGL context stay current, foreground and focused across getSpecs,
// and the library leaves no window class, module or thread behind. Its window
// procedure runs a script that calls getSpecs when the window loses
// activation, which the probe's window takes from it inside getSpecs.
// usage: windows_host_state_test DLL_PATH
#include "dll_harness.h"

#include <GL/gl.h>

#include <algorithm>
#include <set>

namespace {

using namespace harness;

constexpr const wchar_t* kHostClass = L"KestrineTestHost";

// A getSpecs that the host's window procedure makes, as a host whose script
// runs on "window lost focus" would, while `pending` points to it.
struct NestedCall {
    const Library* dll = nullptr;
    bool made = false;
    long code = -1;
    std::string report;
};
NestedCall* pending = nullptr;

LRESULT CALLBACK hostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCACTIVATE && wParam == FALSE && pending != nullptr && !pending->made) {
        NestedCall& call = *pending;
        call.made = true;
        RawRecord result;
        call.code = call.dll->getSpecs(nullptr, 0, result.value());
        if (call.code == 0) call.report = takeText(*call.dll, result);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The host's window with a legacy WGL context of its own, current on this
// thread, the window foreground, active and focused.
struct HostWindow {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;

    HostWindow() {
        WNDCLASSW windowClass{};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = hostWindowProcedure;
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

// getSpecs called again by the host's window procedure while the probe's
// window takes activation inside getSpecs, on the same thread: the nested call
// answers at once, with the primary adapter's name for the graphics; the outer
// one goes on to the report a call alone gives. (A hang is ctest's timeout.)
void nestedInWindowProcedure(const HostWindow& host, const Library& dll, const std::string& alone) {
    group = "getSpecs from the window procedure inside getSpecs";
    NestedCall nested;
    nested.dll = &dll;
    wglMakeCurrent(host.dc, host.context);
    RawRecord result;
    CapturedOutput output;
    pending = &nested;
    const long code = dll.getSpecs(nullptr, 0, result.value());
    pending = nullptr;
    const std::vector<std::string> lines = output.lines();
    check(nested.made, "the window procedure was told it lost activation inside getSpecs");
    checkEqual("both calls return 0", "0 0", std::to_string(code) + " " + std::to_string(nested.code));
    if (code == 0) checkEqual("outer report", alone, takeText(dll, result));
    if (!isFull(alone)) return;
    // The graphics name stands between the second comma and the last.
    const std::size_t second = alone.find(',', alone.find(',') + 1);
    const std::string adapter = primaryAdapterOfTheSystem();
    checkEqual("nested report", alone.substr(0, second + 1) + adapter + alone.substr(alone.rfind(',')),
               nested.report);
    std::string printed;
    for (const std::string& line : lines) printed += line + "|";
    check(lines.size() == 6 && lines[0].rfind("CPU Type: ", 0) == 0 &&
              std::equal(lines.begin(), lines.begin() + 3, lines.begin() + 3),
          "each call's three lines, no failure line: " + printed);
    checkHostState(host, dll.module);
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
    std::string alone;
    for (int call = 1; call <= 2; ++call) {
        group = call == 1 ? "first call" : "second call";
        // Each call starts from the host's own context, so it is judged alone.
        wglMakeCurrent(host.dc, host.context);
        const std::string report = reportOf(dll);
        check(isFull(report), "a full report: " + report);
        checkHostState(host, dll.module);
        if (call == 1) {
            alone = report;
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

    nestedInWindowProcedure(host, dll, alone);

    // A host with no context current gets none back.
    group = "no context current";
    wglMakeCurrent(nullptr, nullptr);
    const std::string report = reportOf(dll);
    check(isFull(report), "a full report: " + report);
    checkEqual("current context", pointer(nullptr), pointer(wglGetCurrentContext()));
    checkEqual("current DC", pointer(nullptr), pointer(wglGetCurrentDC()));
    return finish();
}

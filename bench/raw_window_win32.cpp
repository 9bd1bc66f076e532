// The raw sequence on Win32 and WGL: a window class, the window, a legacy
// context that exists only to hand out wglCreateContextAttribsARB, the 3.3
// core context made current, glGetString, and everything released again.
#include <windows.h>
#include <GL/gl.h>
#include <GL/wglext.h>

#include "raw_window_sequence.h"

namespace {

const wchar_t kClassName[] = L"RawHelloWorld";

// Each step's resource, released when the step's scope ends, in reverse.
struct WindowClass {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    ATOM atom = 0;
    WindowClass() {
        WNDCLASSEXW description{};
        description.cbSize = sizeof(description);
        description.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;  // as GLFW's window class
        description.lpfnWndProc = DefWindowProcW;
        description.hInstance = instance;
        description.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        description.lpszClassName = kClassName;
        atom = RegisterClassExW(&description);
    }
    ~WindowClass() {
        if (atom != 0) UnregisterClassW(kClassName, instance);
    }
};

struct Window {
    HWND handle = nullptr;
    explicit Window(HINSTANCE instance) {
        // GLFW's style for a decorated, resizable window; 800x800 is the
        // content area, as GLFW sizes it.
        const DWORD style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION |
                            WS_MAXIMIZEBOX | WS_THICKFRAME;
        RECT frame{0, 0, 800, 800};
        AdjustWindowRectEx(&frame, style, FALSE, WS_EX_APPWINDOW);
        handle = CreateWindowExW(WS_EX_APPWINDOW, kClassName, L"HelloWorld", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                 frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                 nullptr);
    }
    ~Window() {
        if (handle != nullptr) DestroyWindow(handle);
    }
};

struct DeviceContext {
    HWND window;
    HDC handle;
    explicit DeviceContext(HWND owner) : window(owner), handle(GetDC(owner)) {}
    ~DeviceContext() {
        if (handle != nullptr) ReleaseDC(window, handle);
    }
};

struct RenderContext {
    HGLRC handle;
    explicit RenderContext(HGLRC made) : handle(made) {}
    ~RenderContext() {
        if (handle == nullptr) return;
        if (wglGetCurrentContext() == handle) wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(handle);
    }
};

// A window's pixel format can be set once, so the legacy context shares the
// window's: a double-buffered RGBA format with depth and stencil, as GLFW's
// defaults ask for.
bool setPixelFormat(HDC dc) {
    PIXELFORMATDESCRIPTOR wanted{};
    wanted.nSize = sizeof(wanted);
    wanted.nVersion = 1;
    wanted.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    wanted.iPixelType = PFD_TYPE_RGBA;
    wanted.cColorBits = 24;
    wanted.cAlphaBits = 8;
    wanted.cDepthBits = 24;
    wanted.cStencilBits = 8;
    const int format = ChoosePixelFormat(dc, &wanted);
    PIXELFORMATDESCRIPTOR chosen{};
    return format != 0 && DescribePixelFormat(dc, format, sizeof(chosen), &chosen) != 0 &&
           SetPixelFormat(dc, format, &chosen) != FALSE;
}

}  // namespace

bool rawWindowSequence() {
    WindowClass windowClass;
    if (windowClass.atom == 0) return false;
    Window window(windowClass.instance);
    if (window.handle == nullptr) return false;
    ShowWindow(window.handle, SW_SHOWNORMAL);
    BringWindowToTop(window.handle);
    SetForegroundWindow(window.handle);
    SetFocus(window.handle);

    DeviceContext dc(window.handle);
    if (dc.handle == nullptr || !setPixelFormat(dc.handle)) return false;
    PFNWGLCREATECONTEXTATTRIBSARBPROC createContextAttribs = nullptr;
    {
        RenderContext legacy(wglCreateContext(dc.handle));
        if (legacy.handle == nullptr || !wglMakeCurrent(dc.handle, legacy.handle)) return false;
        createContextAttribs = reinterpret_cast<PFNWGLCREATECONTEXTATTRIBSARBPROC>(
            reinterpret_cast<void*>(wglGetProcAddress("wglCreateContextAttribsARB")));
    }
    if (createContextAttribs == nullptr) return false;
    const int attributes[] = {WGL_CONTEXT_MAJOR_VERSION_ARB, 3,
                              WGL_CONTEXT_MINOR_VERSION_ARB, 3,
                              WGL_CONTEXT_PROFILE_MASK_ARB, WGL_CONTEXT_CORE_PROFILE_BIT_ARB,
                              WGL_CONTEXT_FLAGS_ARB, WGL_CONTEXT_FORWARD_COMPATIBLE_BIT_ARB,
                              0};
    RenderContext context(createContextAttribs(dc.handle, nullptr, attributes));
    if (context.handle == nullptr || !wglMakeCurrent(dc.handle, context.handle)) return false;
    return glGetString(GL_RENDERER) != nullptr;
}

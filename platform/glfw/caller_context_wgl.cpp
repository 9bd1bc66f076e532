// The caller's current context through WGL (the rendering context and the
// device context it was made current with), and glGetString: both from the
// opengl32.dll in use in the process, found at run time, never through the
// DLL's import table.
#include <windows.h>

#include <GL/gl.h>

#include <cwchar>

#include "caller_context.h"

namespace {

enum Handle { kContext, kDeviceContext };

// opengl32.dll is no KnownDLL: named in the import table, or loaded by bare
// name, it is searched for in the host's folder first, where any file of that
// name would run inside the host. So the module is the one already in the
// process, which the host loaded itself (a software OpenGL of its own, say:
// gdi32 hands its pixel-format calls to the opengl32.dll loaded under that name,
// so a second copy would split a window's pixel format from its context), else
// the system folder's, by full path, with its own imports looked up from that
// folder first. GLFW's patched module loading chooses the same way.
class Opengl32 {
public:
    Opengl32() {
        if (!GetModuleHandleExW(0, L"opengl32.dll", &module_)) module_ = loadFromSystemFolder();
        if (module_ == nullptr) return;
        getCurrentContext = entry<HGLRC(WINAPI*)()>("wglGetCurrentContext");
        getCurrentDC = entry<HDC(WINAPI*)()>("wglGetCurrentDC");
        makeCurrent = entry<BOOL(WINAPI*)(HDC, HGLRC)>("wglMakeCurrent");
        getString = entry<const GLubyte*(WINAPI*)(GLenum)>("glGetString");
    }
    // Never freed: the DLL cannot free a library while it is being unloaded,
    // and the system's opengl32 stays loaded for the process as the import
    // table kept it before.

    HGLRC(WINAPI* getCurrentContext)() = nullptr;
    HDC(WINAPI* getCurrentDC)() = nullptr;
    BOOL(WINAPI* makeCurrent)(HDC, HGLRC) = nullptr;
    const GLubyte*(WINAPI* getString)(GLenum) = nullptr;

private:
    static HMODULE loadFromSystemFolder() {
        wchar_t path[MAX_PATH];
        const wchar_t name[] = L"\\opengl32.dll";
        const UINT length = GetSystemDirectoryW(path, MAX_PATH);
        if (length == 0 || length + std::wcslen(name) >= MAX_PATH) return nullptr;
        std::wcscpy(path + length, name);
        return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }

    template <typename Function>
    Function entry(const char* name) const {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    HMODULE module_ = nullptr;
};

// Found on first use, inside the GLFW section, and kept.
const Opengl32& opengl32() {
    static const Opengl32 library;
    return library;
}

}  // namespace

CallerContext::CallerContext() {
    const Opengl32& gl = opengl32();
    if (gl.getCurrentContext == nullptr || gl.getCurrentDC == nullptr) return;
    handles_[kContext] = reinterpret_cast<std::uintptr_t>(gl.getCurrentContext());
    handles_[kDeviceContext] = reinterpret_cast<std::uintptr_t>(gl.getCurrentDC());
}

CallerContext::~CallerContext() {
    auto* context = reinterpret_cast<HGLRC>(handles_[kContext]);
    if (context == nullptr) return;  // GLFW has made its own context not current
    if (opengl32().makeCurrent == nullptr) return;
    opengl32().makeCurrent(reinterpret_cast<HDC>(handles_[kDeviceContext]), context);
}

const char* currentRendererName() {
    const Opengl32& gl = opengl32();
    if (gl.getString == nullptr) return nullptr;
    return reinterpret_cast<const char*>(gl.getString(GL_RENDERER));
}

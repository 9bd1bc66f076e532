/* A host's own opengl32.dll, as a host ships one beside it on purpose (a
   software OpenGL, a tracer): every call GLFW, gdi32 and Kestrine make of it
   goes to the systemCopy folder's opengl32.dll, and is counted, so the test can
   tell which copy Kestrine used. */
#include <windows.h>

#include <GL/gl.h>

static HMODULE self;
static HMODULE systemCopy;
static INIT_ONCE resolved = INIT_ONCE_STATIC_INIT;
static volatile LONG calls;

static BOOL CALLBACK loadSystemCopy(PINIT_ONCE once, PVOID parameter, PVOID* context) {
    WCHAR path[MAX_PATH];
    UINT length = GetSystemDirectoryW(path, MAX_PATH - 16);
    (void)once, (void)parameter, (void)context;
    if (length == 0 || length >= MAX_PATH - 16) return TRUE;
    lstrcpyW(path + length, L"\\opengl32.dll");
    systemCopy = LoadLibraryExW(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (systemCopy == self) systemCopy = NULL; /* never forward to itself */
    return TRUE;
}

static FARPROC systemEntry(const char* name) {
    InitOnceExecuteOnce(&resolved, loadSystemCopy, NULL, NULL);
    InterlockedIncrement(&calls);
    return systemCopy == NULL ? NULL : GetProcAddress(systemCopy, name);
}

#define FORWARD(type, name, params, args)                                        \
    type WINAPI proxy_##name params {                                            \
        type(WINAPI * entry) params = (type(WINAPI*) params)(void*)systemEntry(#name);\
        return entry == NULL ? (type)0 : entry args;                             \
    }
#define FORWARD_VOID(name, params, args)                                         \
    void WINAPI proxy_##name params {                                            \
        void(WINAPI * entry) params = (void(WINAPI*) params)(void*)systemEntry(#name);\
        if (entry != NULL) entry args;                                           \
    }

FORWARD(HGLRC, wglCreateContext, (HDC dc), (dc))
FORWARD(BOOL, wglDeleteContext, (HGLRC context), (context))
FORWARD(PROC, wglGetProcAddress, (LPCSTR name), (name))
FORWARD(HDC, wglGetCurrentDC, (void), ())
FORWARD(HGLRC, wglGetCurrentContext, (void), ())
FORWARD(BOOL, wglMakeCurrent, (HDC dc, HGLRC context), (dc, context))
FORWARD(BOOL, wglShareLists, (HGLRC a, HGLRC b), (a, b))
/* What gdi32's pixel-format and SwapBuffers calls are routed to. */
FORWARD(int, wglChoosePixelFormat, (HDC dc, const PIXELFORMATDESCRIPTOR* pfd), (dc, pfd))
FORWARD(int, wglDescribePixelFormat, (HDC dc, int format, UINT size, PIXELFORMATDESCRIPTOR* pfd),
        (dc, format, size, pfd))
FORWARD(int, wglGetPixelFormat, (HDC dc), (dc))
FORWARD(BOOL, wglSetPixelFormat, (HDC dc, int format, const PIXELFORMATDESCRIPTOR* pfd), (dc, format, pfd))
FORWARD(BOOL, wglSwapBuffers, (HDC dc), (dc))
/* The OpenGL 1.1 calls GLFW finds by name in the module. */
FORWARD(const GLubyte*, glGetString, (GLenum name), (name))
FORWARD_VOID(glGetIntegerv, (GLenum name, GLint* value), (name, value))
FORWARD_VOID(glClear, (GLbitfield mask), (mask))

LONG WINAPI proxyCalls(void) { return calls; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

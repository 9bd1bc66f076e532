/* An opengl32.dll not the system's: it logs its path to PLANTED_DLL_LOG when it
   attaches, and forwards to System32's copy, counted, the calls Kestrine, GLFW
   and gdi32 make (each of at most four integer or pointer arguments, passed in
   registers alike on x64 and ARM64). */
#define NOGDI
#include <windows.h>

#include <stdio.h>

static volatile LONG calls;

static INT_PTR forward(const char* name, INT_PTR a, INT_PTR b, INT_PTR c, INT_PTR d) {
    static HMODULE systemCopy;
    WCHAR path[MAX_PATH + 16];
    if (systemCopy == NULL && GetSystemDirectoryW(path, MAX_PATH)) {
        systemCopy = LoadLibraryExW(lstrcatW(path, L"\\opengl32.dll"), NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    typedef INT_PTR(WINAPI * Entry)(INT_PTR, INT_PTR, INT_PTR, INT_PTR);
    Entry entry = systemCopy == NULL ? NULL : (Entry)(void*)GetProcAddress(systemCopy, name);
    InterlockedIncrement(&calls);
    return entry == NULL ? 0 : entry(a, b, c, d);
}

#define FORWARD(name) __declspec(dllexport) INT_PTR WINAPI name(INT_PTR a, INT_PTR b, INT_PTR c, INT_PTR d) \
    { return forward(#name, a, b, c, d); }
FORWARD(wglCreateContext) FORWARD(wglDeleteContext) FORWARD(wglGetProcAddress) FORWARD(wglGetCurrentDC)
FORWARD(wglGetCurrentContext) FORWARD(wglMakeCurrent) FORWARD(wglShareLists) FORWARD(glGetString)
FORWARD(glGetIntegerv) FORWARD(glClear)
/* What gdi32's pixel-format calls and SwapBuffers are routed to. */
FORWARD(wglChoosePixelFormat) FORWARD(wglDescribePixelFormat) FORWARD(wglGetPixelFormat)
FORWARD(wglSetPixelFormat) FORWARD(wglSwapBuffers)

__declspec(dllexport) LONG WINAPI standinCalls(void) { return calls; }

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    char log[MAX_PATH], path[MAX_PATH] = "";
    FILE* file = NULL;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH && GetEnvironmentVariableA("PLANTED_DLL_LOG", log, MAX_PATH) &&
        GetModuleFileNameA(self, path, MAX_PATH) && (file = fopen(log, "ab")) != NULL) {
        fprintf(file, "%s\n", path);
        fclose(file);
    }
    return TRUE;
}

// The program behind Wine's trace tests: two getSpecs between markers on
// standard error, then control calls of its own (XInput and DirectInput, each
// loaded, a process DPI request and a key translation). With a trace channel
// on, the markers show whether getSpecs made such a call, and the control
// calls prove the channel shows it.
// usage: windows_trace_host DLL_PATH
#include <windows.h>
#include <dinput.h>
#include <xinput.h>

#include <cstdio>

#include "../../interface/script_interface.h"

namespace {

void mark(const char* text) {
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
}

using ScriptFn = long (*)(ScriptValue*, long, ScriptValue*);
using FreeMemFn = void (*)(void*);
using XInputGetStateFn = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);
using DirectInput8CreateFn = HRESULT(WINAPI*)(HINSTANCE, DWORD, REFIID, void**, IUnknown*);

template <typename Function>
Function entry(HMODULE module, const char* name) {
    return module != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                             : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: windows_trace_host DLL_PATH\n", stderr);
        return 2;
    }
    HMODULE dll = LoadLibraryA(argv[1]);
    auto getSpecs = entry<ScriptFn>(dll, "getSpecs");
    auto freeMem = entry<FreeMemFn>(dll, "ESFreeMem");
    if (getSpecs == nullptr || freeMem == nullptr) {
        std::printf("cannot load %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    int failures = 0;
    mark("== getSpecs begins");
    for (int call = 0; call < 2; ++call) {
        ScriptValue result{};
        if (getSpecs(nullptr, 0, &result) == ES_OK) {
            freeMem(result.data);
        } else {
            ++failures;
        }
    }
    mark("== getSpecs ends");
    FreeLibrary(dll);

    // The input calls, made the way GLFW 3.3 made them inside glfwInit.
    HMODULE xinput = LoadLibraryA("xinput1_4.dll");
    auto getState = entry<XInputGetStateFn>(xinput, "XInputGetState");
    XINPUT_STATE state{};
    if (getState != nullptr) getState(0, &state);
    HMODULE dinput = LoadLibraryA("dinput8.dll");
    auto create = entry<DirectInput8CreateFn>(dinput, "DirectInput8Create");
    IDirectInput8W* directInput = nullptr;
    if (create != nullptr &&
        SUCCEEDED(create(GetModuleHandleW(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8W,
                         reinterpret_cast<void**>(&directInput), nullptr))) {
        directInput->Release();
    }
    // The request GLFW 3.4's init makes where the system reports a version
    // below 8.1, as Wine does here.
    SetProcessDPIAware();
    // The key translation GLFW 3.4's init makes for every key's name.
    BYTE keys[256] = {};
    WCHAR text[4];
    ToUnicode('A', MapVirtualKeyW('A', MAPVK_VK_TO_VSC), keys, text, 4, 0);
    mark("== control calls end");
    if (dinput != nullptr) FreeLibrary(dinput);
    if (xinput != nullptr) FreeLibrary(xinput);
    return failures == 0 && getState != nullptr && create != nullptr ? 0 : 1;
}

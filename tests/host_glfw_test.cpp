// A host that uses GLFW itself: it initialises GLFW, opens a window and makes
// the window's OpenGL context current, then loads the library and calls
// getSpecs twice. The library's GLFW is its own, so the host's GLFW stays
// initialised, its window stays open, it can open another, and its context is
// current again after each call; a host with no context current has none
// after. Builds for Linux (the host on the system's shared GLFW) and for
// Windows (the host on a static GLFW of its own).
// usage: host_glfw_test LIBRARY
#include <GLFW/glfw3.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../host/library_loader.h"
#include "../interface/script_interface.h"
#include "native_window.h"

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const std::string& what) {
    ok ? ++passed : ++failed;
    if (!ok) std::printf("FAIL %s\n", what.c_str());
}

// Every error the host's GLFW reports, "The GLFW library is not initialized"
// among them.
std::vector<std::string> hostErrors;

void recordError(int code, const char* description) {
    hostErrors.push_back(std::to_string(code) + ": " + (description != nullptr ? description : ""));
}

std::string errorsSoFar() {
    std::string all;
    for (const std::string& error : hostErrors) all += "\n  " + error;
    return all;
}

using ScriptFn = long (*)(ScriptValue*, long, ScriptValue*);
using FreeMemFn = void (*)(void*);

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: host_glfw_test LIBRARY\n", stderr);
        return 2;
    }
    glfwSetErrorCallback(recordError);
    if (glfwInit() != GLFW_TRUE) {
        std::printf("the host's own glfwInit failed:%s\n0 passed, 1 failed\n", errorsSoFar().c_str());
        return 1;
    }
    GLFWwindow* hostWindow = glfwCreateWindow(320, 200, "Host window", nullptr, nullptr);
    check(hostWindow != nullptr && nativeWindowExists(hostWindow), "the host opens its window" + errorsSoFar());
    if (hostWindow == nullptr) {
        glfwTerminate();
        std::printf("%d passed, %d failed\n", passed, failed);
        return 1;
    }

    glfwMakeContextCurrent(hostWindow);
    const NativeContext hostContext = nativeContextOf(hostWindow);
    check(hostContext.context != nullptr && currentNativeContext() == hostContext,
          "the host's context is current before getSpecs");
    {
        LoadedLibrary library(argv[1]);
        check(library.isOpen(), "the library loads: " + library.error());
        auto getSpecs = reinterpret_cast<ScriptFn>(library.symbol("getSpecs"));
        auto freeMem = reinterpret_cast<FreeMemFn>(library.symbol("ESFreeMem"));
        const auto reportOfCall = [&](const std::string& call) {
            ScriptValue result{};
            const long code = getSpecs(nullptr, 0, &result);
            check(code == ES_OK, call + " returns 0");
            if (code != ES_OK) return;
            const std::string report(static_cast<const char*>(result.data));
            freeMem(result.data);
            // The library's own GLFW opened its window beside the host's.
            check(report.find(",,") == std::string::npos, call + " has a graphics name: " + report);
        };
        for (int call = 1; call <= 2 && getSpecs != nullptr && freeMem != nullptr; ++call) {
            const std::string name = "getSpecs call " + std::to_string(call);
            reportOfCall(name);
            check(currentNativeContext() == hostContext, "the host's context is current again after " + name);
            check(glGetString(GL_RENDERER) != nullptr, "the host's context answers after " + name);
        }
        glfwMakeContextCurrent(nullptr);
        if (getSpecs != nullptr && freeMem != nullptr) reportOfCall("getSpecs with no context current");
        check(currentNativeContext().context == nullptr, "no context is current after it either");
        glfwMakeContextCurrent(hostWindow);
    }

    // The host's GLFW as the host left it.
    check(nativeWindowExists(hostWindow), "the host's window still exists");
    check(glfwGetWindowAttrib(hostWindow, GLFW_VISIBLE) == GLFW_TRUE, "the host's GLFW still knows its window");
    int width = 0, height = 0;
    glfwGetWindowSize(hostWindow, &width, &height);
    check(width == 320 && height == 200,
          "the host's window keeps its size: " + std::to_string(width) + "x" + std::to_string(height));
    glfwPollEvents();
    GLFWwindow* another = glfwCreateWindow(160, 100, "Another host window", nullptr, nullptr);
    check(another != nullptr && nativeWindowExists(another), "the host opens another window");
    // On Windows the host's GLFW is built with the library's patches, which
    // put key names and the joystick DLLs off until first asked for; a
    // failed joystick start would be among the errors checked below.
    const char* keyName = glfwGetKeyName(GLFW_KEY_A, 0);
    check(keyName != nullptr && std::string(keyName) == "a",
          "the host's GLFW names the A key: " + std::string(keyName != nullptr ? keyName : "(none)"));
    glfwJoystickPresent(GLFW_JOYSTICK_1);
    check(hostErrors.empty(), "the host's GLFW reports no error:" + errorsSoFar());

    if (another != nullptr) glfwDestroyWindow(another);
    glfwDestroyWindow(hostWindow);
    glfwTerminate();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

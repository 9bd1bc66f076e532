// The window manager's answer: the handle is still a visible window.
#include <windows.h>

#define GLFW_EXPOSE_NATIVE_WIN32
#include <GLFW/glfw3.h>
#include <GLFW/glfw3native.h>

#include "native_window.h"

bool nativeWindowExists(GLFWwindow* window) {
    const HWND native = glfwGetWin32Window(window);
    return native != nullptr && IsWindow(native) && IsWindowVisible(native);
}

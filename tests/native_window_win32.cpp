// The window manager's answer: the handle is still a visible window; and
// WGL's, for the current context.
#include <windows.h>

#define GLFW_EXPOSE_NATIVE_WIN32
#define GLFW_EXPOSE_NATIVE_WGL
#include <GLFW/glfw3.h>
#include <GLFW/glfw3native.h>

#include "native_window.h"

bool nativeWindowExists(GLFWwindow* window) {
    const HWND native = glfwGetWin32Window(window);
    return native != nullptr && IsWindow(native) && IsWindowVisible(native);
}

NativeContext currentNativeContext() {
    const HDC deviceContext = wglGetCurrentDC();
    const HWND window = deviceContext != nullptr ? WindowFromDC(deviceContext) : nullptr;
    return {wglGetCurrentContext(), reinterpret_cast<std::uintptr_t>(window)};
}

NativeContext nativeContextOf(GLFWwindow* window) {
    return {glfwGetWGLContext(window), reinterpret_cast<std::uintptr_t>(glfwGetWin32Window(window))};
}

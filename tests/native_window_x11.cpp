// The X server's answer: the window's attributes can still be read; and
// GLX's, for the current context.
#define GLFW_EXPOSE_NATIVE_X11
#define GLFW_EXPOSE_NATIVE_GLX
#include <GLFW/glfw3.h>
#include <GLFW/glfw3native.h>

#include "native_window.h"

namespace {

bool windowWasBad = false;

int noteBadWindow(Display*, XErrorEvent* error) {
    if (error->error_code == BadWindow || error->error_code == BadDrawable) windowWasBad = true;
    return 0;
}

}  // namespace

bool nativeWindowExists(GLFWwindow* window) {
    Display* display = glfwGetX11Display();
    const Window native = glfwGetX11Window(window);
    if (display == nullptr || native == None) return false;
    windowWasBad = false;
    XSync(display, False);
    auto previous = XSetErrorHandler(noteBadWindow);
    XWindowAttributes attributes{};
    const Status ok = XGetWindowAttributes(display, native, &attributes);
    XSync(display, False);
    XSetErrorHandler(previous);
    return ok != 0 && !windowWasBad && attributes.map_state == IsViewable;
}

NativeContext currentNativeContext() {
    return {glXGetCurrentContext(), glXGetCurrentDrawable()};
}

NativeContext nativeContextOf(GLFWwindow* window) {
    return {glfwGetGLXContext(window), glfwGetGLXWindow(window)};
}

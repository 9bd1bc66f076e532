// The caller's current context through WGL: the rendering context and the
// device context it was made current with.
#include <windows.h>

#include "caller_context.h"

namespace {
enum Handle { kContext, kDeviceContext };
}  // namespace

CallerContext::CallerContext() {
    handles_[kContext] = reinterpret_cast<std::uintptr_t>(wglGetCurrentContext());
    handles_[kDeviceContext] = reinterpret_cast<std::uintptr_t>(wglGetCurrentDC());
}

CallerContext::~CallerContext() {
    auto* context = reinterpret_cast<HGLRC>(handles_[kContext]);
    if (context == nullptr) return;  // GLFW has made its own context not current
    wglMakeCurrent(reinterpret_cast<HDC>(handles_[kDeviceContext]), context);
}

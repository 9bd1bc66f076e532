// The caller's current context through GLX: context, display, draw and read
// drawables, as glXMakeContextCurrent takes them back; and glGetString from the
// libGL the library links.
#include <GL/glx.h>

#include "caller_context.h"

namespace {
enum Handle { kContext, kDisplay, kDraw, kRead };
}  // namespace

CallerContext::CallerContext() {
    handles_[kContext] = reinterpret_cast<std::uintptr_t>(glXGetCurrentContext());
    handles_[kDisplay] = reinterpret_cast<std::uintptr_t>(glXGetCurrentDisplay());
    handles_[kDraw] = glXGetCurrentDrawable();
    handles_[kRead] = glXGetCurrentReadDrawable();
}

CallerContext::~CallerContext() {
    auto* context = reinterpret_cast<GLXContext>(handles_[kContext]);
    if (context == nullptr) return;  // GLFW has made its own context not current
    glXMakeContextCurrent(reinterpret_cast<Display*>(handles_[kDisplay]), handles_[kDraw], handles_[kRead],
                          context);
}

const char* currentRendererName() {
    return reinterpret_cast<const char*>(glGetString(GL_RENDERER));
}

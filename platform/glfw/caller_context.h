// The OpenGL calls the GLFW section makes beside GLFW's own: the context that
// was current on the calling thread before the sequence made its own current,
// and the renderer's name of the context current now. Each build links one
// implementation, chosen by CMake beside the GLFW section.
#pragma once

#include <cstdint>

// Notes the calling thread's current context and drawables when made, and
// makes them current again when it goes; when none was current, none is left.
// Meant to outlive glfwTerminate, which leaves no context current. Allocates
// nothing, so it holds when the heap is exhausted.
class CallerContext {
public:
    CallerContext();
    ~CallerContext();
    CallerContext(const CallerContext&) = delete;
    CallerContext& operator=(const CallerContext&) = delete;

private:
    // The platform's handles (context, display or device context, drawables),
    // each as wide as a pointer or an X resource id.
    std::uintptr_t handles_[4] = {};
};

// GL_RENDERER of the context current on the calling thread, as the system's
// OpenGL library gives it; null when it gives none.
const char* currentRendererName();

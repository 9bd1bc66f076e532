// GLFW sequence: init, four hints, window, make current, glGetString, terminate.
#include "glfw_renderer.h"
#include "caller_context.h"
#include "glfw_section.h"

#include <cstdio>
#include <new>

#include <GLFW/glfw3.h>

namespace {

// glfwTerminate destroys the window and its context and frees the renderer
// text, so it must run after the copy and on every way out, throws included.
// It is the only teardown: nothing is destroyed separately before it.
struct GlfwTerminator {
    ~GlfwTerminator() { glfwTerminate(); }
};

// The sequence itself, from glfwInit to glfwTerminate.
std::string rendererOfNewWindow(WindowFailureNotice notice) {
    std::string name;

    glfwInit();  // on failure every later call fails too, and the window is null
    GlfwTerminator terminator;
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    GLFWwindow* window = glfwCreateWindow(800, 800, "HelloWorld", nullptr, nullptr);
    if (window == nullptr) {
        if (notice == WindowFailureNotice::PrintLine) {
            std::fputs("Failed to create GLFW window\n", stdout);
            std::fflush(stdout);
        }
        // No context to ask, so no name.
        return name;
    }

    glfwMakeContextCurrent(window);
    // Taken straight from the system OpenGL library; null when the context
    // could not be made current.
    const char* renderer = currentRendererName();
    if (renderer != nullptr) name.assign(renderer);
    return name;
}

}  // namespace

std::string readRendererName(WindowFailureNotice notice) {
    // GLFW keeps one global state: two overlapping probes would initialise
    // and terminate it under each other's feet.
    const GlfwSection section;
    // Host code that the system runs inside this thread's own sequence has
    // called in again: GLFW is half way through that sequence, so there is no
    // name to read here, and the platform answers without it.
    if (section.nested()) return std::string();
    // The sequence leaves the window's context current until glfwTerminate,
    // and none after it: a host drawing on this thread gets its own back.
    const CallerContext callerContext;
    std::string name = rendererOfNewWindow(notice);
    // GLFW got through on the section's reserve, but the heap is exhausted:
    // the call fails as any allocation of its own would.
    if (section.heapRefused()) throw std::bad_alloc();
    return name;
}

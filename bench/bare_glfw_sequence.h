// The GLFW sequence alone, with nothing of the library around it: the floor
// that getSpecs is timed against, linked to the same GLFW as the library.
#pragma once

#include <GLFW/glfw3.h>

// True when a renderer name was there to read.
inline bool bareGlfwSequence() {
    glfwInit();
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    GLFWwindow* window = glfwCreateWindow(800, 800, "HelloWorld", nullptr, nullptr);
    glfwMakeContextCurrent(window);
    const bool named = glGetString(GL_RENDERER) != nullptr;
    glfwTerminate();
    return named;
}

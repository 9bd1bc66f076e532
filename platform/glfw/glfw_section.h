// The section around one GLFW sequence: exclusive, since GLFW keeps one
// process-wide state, and with GLFW's memory provided for. Each build links
// one implementation, chosen by CMake.
#pragma once

// Held for a scope that initialises and terminates GLFW: a second thread waits
// until the first has terminated it.
class GlfwSection {
public:
    GlfwSection();
    ~GlfwSection();
    GlfwSection(const GlfwSection&) = delete;
    GlfwSection& operator=(const GlfwSection&) = delete;

    // Whether the heap refused GLFW memory during the section, so that the
    // sequence ran on what the section keeps in reserve.
    bool heapRefused() const;
};

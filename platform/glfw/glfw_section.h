// The section around one GLFW sequence: exclusive, since GLFW keeps one
// process-wide state, and with GLFW's memory provided for. Each build links
// one implementation, chosen by CMake.
#pragma once

// Held for a scope that initialises and terminates GLFW: a second thread waits
// until the first has terminated it. The thread that holds it does not wait
// for itself: host code that the system runs inside the sequence (a window
// procedure told that the probe's window took activation from the host's)
// may call in again, and such a section holds nothing.
class GlfwSection {
public:
    GlfwSection();
    ~GlfwSection();
    GlfwSection(const GlfwSection&) = delete;
    GlfwSection& operator=(const GlfwSection&) = delete;

    // Whether this thread was inside the section already, with GLFW in the
    // middle of the outer sequence: nothing of GLFW may be touched then.
    bool nested() const { return nested_; }

    // Whether the heap refused GLFW memory during the section, so that the
    // sequence ran on what the section keeps in reserve.
    bool heapRefused() const;

private:
    bool nested_ = false;
};

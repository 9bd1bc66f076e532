// The GLFW section as the C++ library's mutex; GLFW takes its memory from the
// C library as it does by default.
#include <mutex>

#include "glfw_section.h"

namespace {
std::mutex glfwState;
}  // namespace

GlfwSection::GlfwSection() { glfwState.lock(); }

GlfwSection::~GlfwSection() { glfwState.unlock(); }

bool GlfwSection::heapRefused() const { return false; }

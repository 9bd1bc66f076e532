// The GLFW section as the C++ library's mutex; GLFW takes its memory from the
// C library as it does by default.
#include <atomic>
#include <mutex>
#include <thread>

#include "glfw_section.h"

namespace {
std::mutex glfwState;
// The thread inside the section, none outside it. Only that thread writes its
// own id here, so no other thread can ever read its own id by mistake.
std::atomic<std::thread::id> holder;
}  // namespace

GlfwSection::GlfwSection() {
    const std::thread::id self = std::this_thread::get_id();
    nested_ = holder.load() == self;
    if (nested_) return;
    glfwState.lock();
    holder.store(self);
}

GlfwSection::~GlfwSection() {
    if (nested_) return;
    holder.store(std::thread::id());
    glfwState.unlock();
}

bool GlfwSection::heapRefused() const { return false; }

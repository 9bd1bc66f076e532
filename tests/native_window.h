// What a GLFW window and the thread's OpenGL context are, asked of the window
// system itself rather than of GLFW: one implementation per platform.
#pragma once

#include <cstdint>

struct GLFWwindow;

bool nativeWindowExists(GLFWwindow* window);

// An OpenGL context and the window it draws to, as GLX or WGL name them.
struct NativeContext {
    const void* context = nullptr;
    std::uintptr_t drawable = 0;

    bool operator==(const NativeContext& other) const {
        return context == other.context && drawable == other.drawable;
    }
};

// The context current on the calling thread, if any.
NativeContext currentNativeContext();

// `window`'s own context and drawable.
NativeContext nativeContextOf(GLFWwindow* window);

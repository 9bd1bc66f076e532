// Whether a GLFW window's native window still exists, asked of the window
// system itself rather than of GLFW: one implementation per platform.
#pragma once

struct GLFWwindow;

bool nativeWindowExists(GLFWwindow* window);

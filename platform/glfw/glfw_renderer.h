// The OpenGL renderer's name, read from a short-lived GLFW window. Shared by
// every build that asks OpenGL (Linux and Windows).
#pragma once

#include <string>

enum class WindowFailureNotice {
    Silent,     // say nothing when the window cannot be made
    PrintLine,  // print "Failed to create GLFW window" to standard output
};

// Initialises GLFW, opens an 800x800 OpenGL 3.3 core window titled
// "HelloWorld", copies GL_RENDERER and terminates GLFW again, on every path.
// Returns an empty text when no window or context can be made. Calls from
// several threads are serialised, since GLFW's state is one per process; a
// call from inside the sequence on its own thread returns an empty text at
// once, without GLFW and without a line.
std::string readRendererName(WindowFailureNotice notice);

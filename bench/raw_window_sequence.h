// The platform's own window sequence, with nothing of GLFW: the floor below
// the bare GLFW sequence. It makes the same visible, focused 800x800 window
// titled "HelloWorld" with an OpenGL 3.3 core forward-compatible context,
// reads GL_RENDERER, and takes everything down again, so that it can run
// hundreds of times in one process. One file per platform, chosen by CMake:
// raw_window_win32.cpp (Win32 and WGL), raw_window_glx.cpp (Xlib and GLX).
#pragma once

// True when a renderer name was there to read.
bool rawWindowSequence();

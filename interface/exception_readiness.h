// Whether the calling thread can throw and catch a C++ exception without the
// heap. Each build links one implementation, chosen by CMake.
#pragma once

// True when an exception thrown on this thread from now on needs no heap,
// making it so first if the C++ runtime must; false when the heap cannot even
// give that, in which case the caller must not start anything that can throw.
bool prepareThreadForExceptions() noexcept;

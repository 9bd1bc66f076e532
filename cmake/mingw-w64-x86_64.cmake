# Cross-compiling for Windows x64 with Debian's mingw-w64. The -win32 compilers:
# their C++ library makes every lock of its own at start-up, where the -posix
# one (winpthreads) allocates a lock on its first use. When the heap is gone,
# the runtime's reserve for exceptions is then locked without it, so a
# std::bad_alloc can still be thrown; with winpthreads the failed lock threw
# again, without end, until the stack overflowed. This C++ library has no
# std::mutex or std::thread: the DLL locks with Windows' own SRW lock.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

# Libraries built for this target outside the mingw root (GLFW from
# scripts/setup-windows) are further roots, each laid out like a prefix.
set(MINGW_EXTRA_ROOTS "" CACHE STRING "Install prefixes of libraries built for mingw")
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} ${MINGW_EXTRA_ROOTS})

# Build tools come from the build machine; headers, libraries and packages
# only from the target's roots, never from the build machine's /usr.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Cross-compiling for Windows x64 with the Debian release's clang and lld
# (cmake/mingw-w64-clang.cmake) against Debian's mingw-w64: its headers and
# C runtime (msvcrt.dll), and the C++ runtime of its -win32 GCC, libstdc++ and
# libgcc, linked in statically. That one makes every lock of its own at
# start-up, where the -posix one (winpthreads) allocates a lock on its first
# use. When the heap is gone, the runtime's reserve for exceptions is then
# locked without it, so a std::bad_alloc can still be thrown; with winpthreads
# the failed lock threw again, without end, until the stack overflowed. This C++
# library has no std::mutex or std::thread: the DLL locks with Windows' own SRW
# lock.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(MINGW_SYSROOT /usr/${MINGW_TRIPLE})
set(MINGW_TARGET_ROOT ${MINGW_SYSROOT})
# GNU's, which read and write x64 PE files whole (objcopy keeps a DLL's debug
# sections alone, as llvm's cannot).
set(MINGW_BINUTILS /usr/bin/${MINGW_TRIPLE}-)

# GCC's folder, whose name (its version and -win32) clang does not recognise as a
# GCC installation: its C++ headers and libraries are named outright.
if(NOT MINGW_GCC_FOLDER)
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/debian-release mingw_gcc_folder
    OUTPUT_VARIABLE gccFolder OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "scripts/debian-release cannot tell this machine's mingw-w64 GCC")
  endif()
  set(MINGW_GCC_FOLDER /usr/lib/gcc/${MINGW_TRIPLE}/${gccFolder} CACHE PATH
      "mingw-w64's x64 GCC (-win32), whose C++ runtime the build links")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_GCC_FOLDER)
if(NOT EXISTS ${MINGW_GCC_FOLDER}/include/c++)
  message(FATAL_ERROR "No C++ headers in ${MINGW_GCC_FOLDER}: scripts/install-packages windows "
                      "installs mingw-w64's GCC, and scripts/debian-release names its folder")
endif()
set(MINGW_RUNTIME_FLAGS "")
set(MINGW_RUNTIME_CXX_FLAGS -nostdinc++ -isystem ${MINGW_GCC_FOLDER}/include/c++
    -isystem ${MINGW_GCC_FOLDER}/include/c++/${MINGW_TRIPLE} -isystem ${MINGW_GCC_FOLDER}/include/c++/backward)
set(MINGW_RUNTIME_LINK_FLAGS -rtlib=libgcc -stdlib=libstdc++ -L${MINGW_GCC_FOLDER})
# Marked compatible with CET's shadow stacks, which Windows keeps for x64
# processes only; how C++ exceptions stay so: docs/decisions.md.
set(MINGW_PROCESSOR_LINK_FLAGS -Wl,--Xlink=-cetcompat)

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-clang.cmake)

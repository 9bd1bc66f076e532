# Cross build of Pellator.framework on Linux for a structure check only:
# the Debian release's clang and ld64.lld (LLVM 14 on Debian 12, 19 on
# Debian 13, as scripts/debian-release says) against the stand-in SDK beside this file. macOS's C
# library headers are not to be had here, so glibc's are borrowed after the
# SDK's own: types such as std::mutex and mbstate_t get glibc's layouts, and
# the binary is never a release. Both slices are built, x86_64 and arm64, and
# merged with llvm-lipo.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_SYSTEM_VERSION 19.0)  # Darwin 19 is macOS 10.15

set(PELLATOR_STRUCTURE_ONLY ON)
# No version in the triple: each slice's minimum system comes from the
# recipe, as on a Mac; -arch picks the slice's processor.
set(PELLATOR_TARGET x86_64-apple-darwin)

# The release's LLVM, asked once and kept in the cache with the tools' paths
# (try_compile's projects read this file again and are handed the same).
if(NOT PELLATOR_LLVM_SUFFIX)
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../../../scripts/debian-release llvm_version
    OUTPUT_VARIABLE llvmVersion OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "scripts/debian-release cannot tell this machine's LLVM")
  endif()
  set(PELLATOR_LLVM_SUFFIX "-${llvmVersion}" CACHE STRING "Suffix of the llvm tool names: a dash and the LLVM version")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PELLATOR_LLVM_SUFFIX)
find_program(CMAKE_C_COMPILER clang${PELLATOR_LLVM_SUFFIX} REQUIRED)
find_program(CMAKE_CXX_COMPILER clang++${PELLATOR_LLVM_SUFFIX} REQUIRED)
find_program(CMAKE_AR llvm-ar${PELLATOR_LLVM_SUFFIX} REQUIRED)
find_program(CMAKE_RANLIB llvm-ranlib${PELLATOR_LLVM_SUFFIX} REQUIRED)
find_program(CMAKE_INSTALL_NAME_TOOL llvm-install-name-tool${PELLATOR_LLVM_SUFFIX} REQUIRED)
find_program(PELLATOR_LIPO llvm-lipo${PELLATOR_LLVM_SUFFIX} REQUIRED)
# The dSYM's tools: the release's own dsymutil, and llvm's strip for Apple's.
find_program(PELLATOR_DSYMUTIL dsymutil${PELLATOR_LLVM_SUFFIX} REQUIRED)
find_program(CMAKE_STRIP llvm-strip${PELLATOR_LLVM_SUFFIX} REQUIRED)
set(CMAKE_C_COMPILER_TARGET ${PELLATOR_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${PELLATOR_TARGET})
set(CMAKE_OSX_SYSROOT ${CMAKE_CURRENT_LIST_DIR}/standin-sdk)

# -U: clang predefines the nullability words for Apple targets, and glibc's
# sys/cdefs.h uses the same names as macros. _GNU_SOURCE: glibc hides POSIX
# declarations that libc++ needs unless a feature macro asks for them.
set(CMAKE_C_FLAGS_INIT "-U__nonnull -U__nullable -D_GNU_SOURCE")
set(CMAKE_CXX_FLAGS_INIT "-stdlib=libc++ ${CMAKE_C_FLAGS_INIT}")
# glibc's headers per slice, after the SDK's own: those of each processor's
# Debian port (x86-64 native, arm64 from libc6-dev-arm64-cross); for x86_64
# glibc's floating-point types as an Apple target has them (glibc-x86_64/).
set(PELLATOR_SLICE_COMPILE_OPTIONS_x86_64 "SHELL:-idirafter ${CMAKE_CURRENT_LIST_DIR}/glibc-x86_64"
  "SHELL:-idirafter /usr/include/x86_64-linux-gnu" "SHELL:-idirafter /usr/include")
set(PELLATOR_SLICE_COMPILE_OPTIONS_arm64 "SHELL:-idirafter /usr/aarch64-linux-gnu/include")
# A framework links with its own flags variable, not the shared-library one.
set(CMAKE_MACOSX_FRAMEWORK_LINKER_FLAGS "-fuse-ld=lld")
# The Mac's own programs (specs-host, the tests a Mac runs) are compiled here
# so that a compile error on their path shows, but never run: the SDK's stubs
# list only what the framework imports, so their other imports are left for a
# Mac's dyld to find. (A plain variable, unlike CMAKE_EXE_LINKER_FLAGS, so that
# a build folder made before it takes it too.)
set(PELLATOR_PROGRAM_LINK_OPTIONS -fuse-ld=lld "LINKER:-undefined,dynamic_lookup")
# GoogleTest for those tests: Debian's source, the version a Mac fetches.
set(PELLATOR_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's source folder")
# Its threads are in libSystem, as FindThreads finds on a Mac; here its probe
# has no pthread.h to compile against.
set(CMAKE_HAVE_LIBC_PTHREAD 1 CACHE INTERNAL "pthreads are in libSystem")

# No crt or libraries to link a test executable with: probe with static libraries.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_FIND_ROOT_PATH ${CMAKE_OSX_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

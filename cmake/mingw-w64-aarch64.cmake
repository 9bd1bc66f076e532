# Cross-compiling for Windows on Arm (ARM64) with the Debian release's clang and
# lld (scripts/debian-release) and the runtimes that scripts/setup-mingw-arm64 builds from Debian's sources:
# mingw-w64's headers and UCRT, compiler-rt, libunwind, libc++abi and libc++.
# The C++ library has std::mutex and std::thread on Windows' own threads.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)

# The toolchain's folder (its bin/ has the compiler drivers); try_compile's
# projects read this file again and are handed the same folder.
set(MINGW_TOOLCHAIN_ROOT "${CMAKE_CURRENT_LIST_DIR}/../.cache/windows-arm64/toolchain"
    CACHE PATH "The toolchain that scripts/setup-mingw-arm64 built")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_TOOLCHAIN_ROOT)
get_filename_component(MINGW_TOOLCHAIN_ROOT "${MINGW_TOOLCHAIN_ROOT}" REALPATH)

set(MINGW_TRIPLE aarch64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TOOLCHAIN_ROOT}/bin/${MINGW_TRIPLE}-clang)
set(CMAKE_CXX_COMPILER ${MINGW_TOOLCHAIN_ROOT}/bin/${MINGW_TRIPLE}-clang++)
set(CMAKE_RC_COMPILER ${MINGW_TOOLCHAIN_ROOT}/bin/${MINGW_TRIPLE}-windres)
foreach(tool AR RANLIB NM OBJCOPY OBJDUMP STRIP DLLTOOL ADDR2LINE)
  string(TOLOWER ${tool} name)
  set(CMAKE_${tool} ${MINGW_TOOLCHAIN_ROOT}/bin/${MINGW_TRIPLE}-${name} CACHE FILEPATH "")
endforeach()

# Libraries built for this target outside the toolchain (GLFW from
# scripts/setup-glfw) are further roots, each laid out like a prefix.
set(MINGW_EXTRA_ROOTS "" CACHE STRING "Install prefixes of libraries built for this target")
set(CMAKE_FIND_ROOT_PATH ${MINGW_TOOLCHAIN_ROOT}/${MINGW_TRIPLE} ${MINGW_EXTRA_ROOTS})

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

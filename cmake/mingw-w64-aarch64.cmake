# Cross-compiling for Windows on Arm (ARM64) with the Debian release's clang and
# lld (cmake/mingw-w64-clang.cmake) against the runtimes that
# scripts/setup-mingw-arm64 builds from Debian's sources: mingw-w64's headers
# and UCRT, compiler-rt, libunwind, libc++abi and libc++. The C++ library has
# std::mutex and std::thread on Windows' own threads.
set(CMAKE_SYSTEM_PROCESSOR ARM64)

# The toolchain's folder; try_compile's projects read this file again and are
# handed the same folder.
set(MINGW_TOOLCHAIN_ROOT "${CMAKE_CURRENT_LIST_DIR}/../.cache/windows-arm64/toolchain"
    CACHE PATH "The toolchain that scripts/setup-mingw-arm64 built")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_TOOLCHAIN_ROOT)
get_filename_component(MINGW_TOOLCHAIN_ROOT "${MINGW_TOOLCHAIN_ROOT}" REALPATH)

set(MINGW_TRIPLE aarch64-w64-mingw32)
set(MINGW_SYSROOT ${MINGW_TOOLCHAIN_ROOT})
set(MINGW_TARGET_ROOT ${MINGW_TOOLCHAIN_ROOT}/${MINGW_TRIPLE})
# llvm's, under the triple's names in the toolchain's bin/: GNU's binutils
# know no ARM64 PE files.
set(MINGW_BINUTILS ${MINGW_TOOLCHAIN_ROOT}/bin/${MINGW_TRIPLE}-)

# The toolchain's folder is also clang's resource folder: its own headers, and
# compiler-rt's builtins beside them (lib/clang/<release>/).
file(GLOB resourceDir LIST_DIRECTORIES true ${MINGW_TOOLCHAIN_ROOT}/lib/clang/*)
if(NOT resourceDir)
  message(FATAL_ERROR "No toolchain in ${MINGW_TOOLCHAIN_ROOT}: scripts/setup-mingw-arm64 builds it")
endif()
set(MINGW_RUNTIME_FLAGS -resource-dir=${resourceDir})
set(MINGW_RUNTIME_CXX_FLAGS -stdlib=libc++)
set(MINGW_RUNTIME_LINK_FLAGS -rtlib=compiler-rt -unwindlib=libunwind -stdlib=libc++)
set(MINGW_PROCESSOR_LINK_FLAGS "")

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-clang.cmake)

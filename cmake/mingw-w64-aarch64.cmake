# Cross-compiling for Windows on Arm (ARM64) with the Debian release's clang and
# lld (cmake/mingw-w64-clang.cmake) against what scripts/setup-mingw-llvm arm64
# builds from Debian's sources: mingw-w64's headers and UCRT, compiler-rt,
# libunwind, libc++abi and libc++.
set(CMAKE_SYSTEM_PROCESSOR ARM64)
set(MINGW_TRIPLE aarch64-w64-mingw32)

# The toolchain's folder; try_compile's projects read this file again and are
# handed the same folder.
set(MINGW_TOOLCHAIN_ROOT "${CMAKE_CURRENT_LIST_DIR}/../.cache/windows-arm64/toolchain"
    CACHE PATH "The toolchain that scripts/setup-mingw-llvm arm64 built")
get_filename_component(MINGW_TOOLCHAIN_ROOT "${MINGW_TOOLCHAIN_ROOT}" REALPATH)
# The toolchain is the system root too: the C runtime was built into it.
set(MINGW_SYSROOT ${MINGW_TOOLCHAIN_ROOT})
set(MINGW_TARGET_ROOT ${MINGW_TOOLCHAIN_ROOT}/${MINGW_TRIPLE})
# llvm's, under the triple's names in the toolchain's bin/: GNU's binutils
# know no ARM64 PE files.
set(MINGW_BINUTILS ${MINGW_TOOLCHAIN_ROOT}/bin/${MINGW_TRIPLE}-)
set(MINGW_PROCESSOR_LINK_FLAGS "")

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-clang.cmake)

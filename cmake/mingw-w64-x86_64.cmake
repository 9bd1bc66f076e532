# Cross-compiling for Windows x64 with the Debian release's clang and lld
# (cmake/mingw-w64-clang.cmake) against Debian's mingw-w64, its headers and its
# C runtime (msvcrt.dll, which Windows Vista has), with the C++ runtime that
# scripts/setup-mingw-llvm builds for it from Debian's LLVM source:
# compiler-rt's builtins, libunwind, libc++abi and libc++, linked in
# statically, as the ARM64 DLL has them. GCC's runtime (libgcc's unwinder)
# does not unwind clang's code reliably: see docs/decisions.md.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)

# The toolchain's folder; try_compile's projects read this file again and are
# handed the same folder.
set(MINGW_TOOLCHAIN_ROOT "${CMAKE_CURRENT_LIST_DIR}/../.cache/windows/toolchain"
    CACHE PATH "The runtimes that scripts/setup-mingw-llvm x64 built")
get_filename_component(MINGW_TOOLCHAIN_ROOT "${MINGW_TOOLCHAIN_ROOT}" REALPATH)
set(MINGW_SYSROOT /usr/${MINGW_TRIPLE})
set(MINGW_TARGET_ROOT ${MINGW_SYSROOT})
# GNU's, which read and write x64 PE files whole (objcopy keeps a DLL's debug
# sections alone, as llvm's cannot).
set(MINGW_BINUTILS /usr/bin/${MINGW_TRIPLE}-)

# Marked compatible with CET's shadow stacks, which Windows keeps for x64
# processes only; how C++ exceptions stay so: docs/decisions.md.
set(MINGW_PROCESSOR_LINK_FLAGS -Wl,--Xlink=-cetcompat)

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-clang.cmake)

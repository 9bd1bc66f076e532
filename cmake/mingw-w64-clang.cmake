# What both Windows cross builds share, x64 and ARM64: the Debian release's own
# clang and lld (LLVM 14 on Debian 12, 19 on Debian 13: scripts/debian-release)
# driven for mingw-w64 with the C++ runtime made for clang's code (LLVM's
# compiler-rt builtins, libunwind, libc++abi and libc++, which
# scripts/setup-mingw-llvm builds), and every flag they are given. Included
# last by each toolchain file, which sets first what differs by processor:
#   MINGW_TRIPLE              the target (x86_64-w64-mingw32, aarch64-w64-mingw32)
#   MINGW_TOOLCHAIN_ROOT      what scripts/setup-mingw-llvm built: clang's resource
#                             folder (lib/clang/<release>/: its own headers, and
#                             the builtins beside them) and the runtimes under
#                             TRIPLE/
#   MINGW_SYSROOT             clang's system root, under which the mingw-w64
#                             headers and libraries are
#   MINGW_TARGET_ROOT         the prefix of those headers and libraries
#   MINGW_BINUTILS            the target's binutils, as a prefix to their names
#   MINGW_PROCESSOR_LINK_FLAGS  the processor's own hardening at link (x64: CET)
set(CMAKE_SYSTEM_NAME Windows)

# The release's LLVM, and its clang's flags for Control Flow Guard, asked once
# and kept in the cache (try_compile's projects read this file again and are
# handed the same).
foreach(fact llvm_version clang_cfguard_flags)
  string(TOUPPER MINGW_${fact} variable)
  if(NOT ${variable})
    execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/debian-release ${fact}
      OUTPUT_VARIABLE answer OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "scripts/debian-release cannot tell this machine's ${fact}")
    endif()
    separate_arguments(answer UNIX_COMMAND "${answer}")
    set(${variable} "${answer}" CACHE STRING "The release's ${fact} (scripts/debian-release)")
  endif()
  list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ${variable})
endforeach()
set(MINGW_LLVM_BIN /usr/lib/llvm-${MINGW_LLVM_VERSION}/bin)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_TOOLCHAIN_ROOT)
file(GLOB resourceDir LIST_DIRECTORIES true ${MINGW_TOOLCHAIN_ROOT}/lib/clang/*)
if(NOT resourceDir)
  message(FATAL_ERROR "No toolchain in ${MINGW_TOOLCHAIN_ROOT}: scripts/setup-mingw-llvm builds it")
endif()
set(MINGW_RUNTIME_FLAGS -resource-dir=${resourceDir})
set(MINGW_RUNTIME_CXX_FLAGS -stdlib=libc++)
set(MINGW_RUNTIME_LINK_FLAGS -rtlib=compiler-rt -unwindlib=libunwind -stdlib=libc++)
if(NOT MINGW_SYSROOT STREQUAL MINGW_TOOLCHAIN_ROOT)
  # The system root is Debian's mingw-w64 (x64), whose C++ headers would be
  # GCC's: libc++ is named outright.
  list(APPEND MINGW_RUNTIME_CXX_FLAGS -nostdinc++ -isystem ${MINGW_TOOLCHAIN_ROOT}/${MINGW_TRIPLE}/include/c++/v1)
  list(APPEND MINGW_RUNTIME_LINK_FLAGS -L${MINGW_TOOLCHAIN_ROOT}/${MINGW_TRIPLE}/lib)
endif()

set(CMAKE_C_COMPILER ${MINGW_LLVM_BIN}/clang)
set(CMAKE_CXX_COMPILER ${MINGW_LLVM_BIN}/clang++)
set(CMAKE_C_COMPILER_TARGET ${MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_TRIPLE})
# --sysroot: without it clang searches the build machine's /usr/include too.
set(CMAKE_SYSROOT ${MINGW_SYSROOT})
# Hardened as Windows checks a DLL, for everything built with this file (GLFW,
# the DLL, the programs): Control Flow Guard's check before every call
# through a pointer, and the strong stack protector (a canary in every
# function with a local array or a local whose address is taken). The
# protector is asked of clang's compiler itself: its driver's
# -fstack-protector-strong also links GCC's libssp, which the ARM64 toolchain
# lacks and which would displace the C runtime's own where it has one. What
# the protector and the guard call at run time comes from the C runtime, else
# from the DLL's own files (platform/windows/hardening.cmake).
set(hardeningFlags ${MINGW_CLANG_CFGUARD_FLAGS} -Xclang -stack-protector -Xclang 2)
# Linked by lld with the runtime's libraries. CMake repeats the compile flags
# on a link line, where the runtime's and the compiler's own are unused, and a
# C program's link takes the C++ library's flag too: none is worth a warning.
string(JOIN " " CMAKE_C_FLAGS_INIT ${MINGW_RUNTIME_FLAGS}
       --start-no-unused-arguments ${hardeningFlags} --end-no-unused-arguments)
string(JOIN " " CMAKE_CXX_FLAGS_INIT ${MINGW_RUNTIME_FLAGS}
       --start-no-unused-arguments ${hardeningFlags} ${MINGW_RUNTIME_CXX_FLAGS} --end-no-unused-arguments)
# The guard's tables in every image, setjmp's targets among them, and the
# processor's own marks.
string(JOIN " " linkFlags --start-no-unused-arguments -fuse-ld=lld ${MINGW_RUNTIME_LINK_FLAGS}
       --end-no-unused-arguments -Wl,--Xlink=-guard:cf -Wl,--Xlink=-guard:longjmp ${MINGW_PROCESSOR_LINK_FLAGS})
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "${linkFlags}")
endforeach()

# The version resource: llvm's windres, preprocessing with the clang beside it
# (named by its folder, else it takes whichever clang is first on the PATH)
# against the same system root.
set(CMAKE_RC_COMPILER ${MINGW_LLVM_BIN}/llvm-windres)
set(CMAKE_RC_FLAGS_INIT "--target=${MINGW_TRIPLE} --preprocessor-arg=--sysroot=${MINGW_SYSROOT}")

foreach(tool AR RANLIB NM OBJCOPY OBJDUMP STRIP DLLTOOL ADDR2LINE)
  string(TOLOWER ${tool} name)
  set(CMAKE_${tool} ${MINGW_BINUTILS}${name} CACHE FILEPATH "")
endforeach()

# Libraries built for this target outside the system root (GLFW from
# scripts/setup-glfw) are further roots, each laid out like a prefix.
set(MINGW_EXTRA_ROOTS "" CACHE STRING "Install prefixes of libraries built for this target")
set(CMAKE_FIND_ROOT_PATH ${MINGW_TARGET_ROOT} ${MINGW_EXTRA_ROOTS})

# Build tools come from the build machine; headers, libraries and packages
# only from the target's roots, never from the build machine's /usr.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

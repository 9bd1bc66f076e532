# What every build of the tree shares, the deliverables' and the tests' own:
# the language level, warnings and sanitizers, and the sources of the frame and
# of the processor brand, named from the top of the tree so that a test project
# elsewhere in it can build them too.
get_filename_component(SPECS_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_C_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

option(SPECS_BUILD_TESTS "Build the tests" ON)
option(SPECS_BUILD_FUZZER "Build the libFuzzer target (clang)" OFF)
option(SPECS_BUILD_BENCHMARKS "Build the benchmarks (Linux, and Windows for Wine)" OFF)
option(SPECS_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
set(SPECS_SANITIZE "" CACHE STRING "Sanitizers for the whole build, e.g. address,undefined")

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra)
  if(SPECS_WARNINGS_AS_ERRORS)
    add_compile_options(-Werror)
  endif()
  if(SPECS_SANITIZE)
    add_compile_options(-fsanitize=${SPECS_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${SPECS_SANITIZE})
  endif()
endif()

# The frame shared by every build: the boundary and the two script functions.
set(FRAME_SOURCES
  ${SPECS_SOURCE_DIR}/interface/entry_points.cpp
  ${SPECS_SOURCE_DIR}/interface/result_block.cpp
  ${SPECS_SOURCE_DIR}/functions/get_specs.cpp
  ${SPECS_SOURCE_DIR}/functions/report.cpp
  ${SPECS_SOURCE_DIR}/functions/sample.cpp)
# mingw's C++ runtime would take a thread's exception state from the heap, so
# the DLL keeps it in each call instead; the others need nothing.
if(MINGW)
  list(APPEND FRAME_SOURCES ${SPECS_SOURCE_DIR}/platform/windows/exception_state_mingw.cpp)
else()
  list(APPEND FRAME_SOURCES ${SPECS_SOURCE_DIR}/interface/exception_state_native.cpp)
endif()

# The brand's source goes with the processor and the system, by Mach-O's names
# for the processors: on x86-64 the CPUID walk (CPUID_SOURCES), which is the
# whole of it on Linux; each macOS slice reads the kernel's text, the x86-64
# one under Rosetta 2 only, and arm64, which has no CPUID, always. (The Windows
# DLL chooses its own in platform/windows/build.cmake.)
set(CPUID_SOURCES ${SPECS_SOURCE_DIR}/functions/cpu_brand.cpp ${SPECS_SOURCE_DIR}/functions/cpuid_x86.cpp)
set(BRAND_SOURCES_x86_64 ${CPUID_SOURCES} ${SPECS_SOURCE_DIR}/functions/cpuid_brand.cpp)
set(MACOS_BRAND_SOURCES_x86_64 ${CPUID_SOURCES}
  ${SPECS_SOURCE_DIR}/platform/macos/macos_brand_x86_64.cpp ${SPECS_SOURCE_DIR}/platform/macos/macos_kernel_brand.cpp)
set(MACOS_BRAND_SOURCES_arm64
  ${SPECS_SOURCE_DIR}/platform/macos/macos_brand_arm64.cpp ${SPECS_SOURCE_DIR}/platform/macos/macos_kernel_brand.cpp)

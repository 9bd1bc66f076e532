# Windows build, x64 or ARM64 by the toolchain: Kestrine.dll with the Windows
# probes, and the command-line host as specs-host.exe. Both land in
# dist/windows/ (ARM64: dist/windows-arm64/) and import system DLLs only.
find_package(glfw3 3.3 REQUIRED)  # static: a mingw build or glfw3.lib with MSVC
include(${CMAKE_SOURCE_DIR}/cmake/reproducible.cmake)
if(MINGW)
  get_filename_component(glfwPrefix ${glfw3_DIR}/../../.. ABSOLUTE)
  specs_reproducible_prefix(${glfwPrefix} glfw-${glfw3_VERSION})
endif()

# What differs by processor. x64: Windows Vista (6.0) is the oldest Windows the
# DLL is for, and the brand is CPUID's, or the registry's under Windows on
# Arm's x64 emulation. ARM64: Windows 10, the first Windows on ARM64, and, as
# ARM64 has no CPUID for programs, the processor's name that Windows keeps in
# the registry.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(ARM64|aarch64)$")
  set(KESTRINE_ARCHITECTURE arm64)
  set(KESTRINE_BRAND_SOURCES platform/windows/windows_brand_arm64.cpp platform/windows/windows_registry_brand.cpp)
  set(KESTRINE_MINIMUM_WINDOWS 10 0 0x0A00)
  set(distFolder windows-arm64)
else()
  set(KESTRINE_ARCHITECTURE x64)
  set(KESTRINE_BRAND_SOURCES ${CPUID_SOURCES} platform/windows/windows_brand_x64.cpp
    platform/windows/windows_registry_brand.cpp)
  set(KESTRINE_MINIMUM_WINDOWS 6 0 0x0600)
  set(distFolder windows)
endif()
list(GET KESTRINE_MINIMUM_WINDOWS 0 windowsMajor)
list(GET KESTRINE_MINIMUM_WINDOWS 1 windowsMinor)
list(GET KESTRINE_MINIMUM_WINDOWS 2 windowsHex)

set(SPECS_DIST_DIR ${CMAKE_SOURCE_DIR}/dist/${distFolder} CACHE PATH "Where the built library and host land")

# Kestrine's PDB, the same from any folder (cmake/pdb.cmake).
if(MINGW)
  include(${CMAKE_SOURCE_DIR}/cmake/pdb.cmake)
  set(viewFolders glfw-${glfw3_VERSION}=${glfwPrefix} dist=${SPECS_DIST_DIR})
  if(MINGW_TOOLCHAIN_ROOT)
    list(APPEND viewFolders toolchain=${MINGW_TOOLCHAIN_ROOT})
  endif()
  specs_path_view(${viewFolders})
endif()

# The headers then hide anything newer than the oldest Windows the DLL is for,
# so nothing later is called unchecked.
add_compile_definitions(_WIN32_WINNT=${windowsHex} WINVER=${windowsHex})

# What Control Flow Guard and the stack protector need at run time, where the
# C runtime lacks it: linked into every image this build makes.
if(MINGW)
  include(${CMAKE_CURRENT_LIST_DIR}/hardening.cmake)
endif()

# The version resource, from the project's version (FILEVERSION wants four
# numbers; parts the project leaves out are 0).
enable_language(RC)
set(KESTRINE_VERSION_QUAD "")
foreach(part MAJOR MINOR PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    list(APPEND KESTRINE_VERSION_QUAD 0)
  else()
    list(APPEND KESTRINE_VERSION_QUAD ${PROJECT_VERSION_${part}})
  endif()
endforeach()
string(REPLACE ";" "," KESTRINE_VERSION_QUAD "${KESTRINE_VERSION_QUAD}")
configure_file(platform/windows/Kestrine.rc.in Kestrine.rc @ONLY)

# Nothing from the compiler's runtime may be needed beside the DLL: with clang
# for mingw, -static links the archives of the runtime it takes (libc++,
# libunwind and compiler-rt), as GCC's
# flags do with GNU; the static CRT with MSVC. (The C runtime is the system's.)
function(specs_static_runtime target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  elseif(MINGW)
    target_link_options(${target} PRIVATE -static)
  elseif(MSVC)
    set_target_properties(${target} PROPERTIES
      MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  endif()
endfunction()

add_library(Kestrine SHARED
  ${FRAME_SOURCES}
  ${KESTRINE_BRAND_SOURCES}
  platform/windows/windows_probes.cpp
  platform/windows/windows_text.cpp
  platform/glfw/glfw_renderer.cpp
  platform/glfw/glfw_section_win32.cpp
  platform/glfw/caller_context_wgl.cpp
  interface/Kestrine.def
  ${CMAKE_CURRENT_BINARY_DIR}/Kestrine.rc)
target_include_directories(Kestrine PRIVATE interface)
target_compile_definitions(Kestrine PRIVATE SCRIPT_INTERFACE_BUILDING WIN32_LEAN_AND_MEAN NOMINMAX)
# GLFW's static library leaves gdi32 to its user. No opengl32: what the DLL
# calls of it is found at run time (platform/glfw/caller_context_wgl.cpp), as
# a DLL that is no KnownDLL, named in the import table, is searched for in the
# host's folder first.
target_link_libraries(Kestrine PRIVATE glfw gdi32)
# The PE header: that oldest Windows as the minimum OS and subsystem version.
# (The image version is the VERSION property below.)
if(MINGW)
  # The .def file names the exports; keep the linker from adding any others.
  target_link_options(Kestrine PRIVATE -Wl,--exclude-all-symbols
    -Wl,--major-os-version,${windowsMajor} -Wl,--minor-os-version,${windowsMinor}
    -Wl,--major-subsystem-version,${windowsMajor} -Wl,--minor-subsystem-version,${windowsMinor})
  # x64: only what the DLL calls is kept, and imported, as the runtimes'
  # functions it never calls would import functions newer than Vista. (Every
  # Windows on ARM64 has all its runtime imports, and lld 14 crashes linking
  # the ARM64 DLL so.)
  if(KESTRINE_ARCHITECTURE STREQUAL "x64")
    target_link_options(Kestrine PRIVATE -Wl,--gc-sections)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # lld 14 takes the image version (the VERSION property below) only in
    # its COFF form.
    target_link_options(Kestrine PRIVATE
      -Wl,-Xlink=-version:${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
  endif()
elseif(MSVC)
  # Not built here. link.exe also writes the subsystem version as the
  # minimum OS version.
  target_link_options(Kestrine PRIVATE /SUBSYSTEM:WINDOWS,${windowsMajor}.0${windowsMinor})
endif()
specs_static_runtime(Kestrine)
set_target_properties(Kestrine PROPERTIES
  # CMake writes major.minor as the image version (it adds its own 0.0
  # otherwise, after any linker flag that would set it).
  VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
  PREFIX ""
  OUTPUT_NAME Kestrine
  RUNTIME_OUTPUT_DIRECTORY ${SPECS_DIST_DIR})

# The released DLL's debug information goes to Kestrine.pdb beside it, the
# file Windows' debuggers and symbol tools read (MSVC writes one by itself).
if(MINGW)
  specs_pdb(Kestrine)
endif()

add_executable(specs-host host/specs_host.cpp host/library_loader_windows.cpp)
target_include_directories(specs-host PRIVATE interface)
target_compile_definitions(specs-host PRIVATE HOST_LIBRARY_FILE="Kestrine.dll" WIN32_LEAN_AND_MEAN NOMINMAX)
specs_static_runtime(specs-host)
set_target_properties(specs-host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SPECS_DIST_DIR})

if(SPECS_BUILD_TESTS AND CMAKE_CROSSCOMPILING)
  enable_testing()
  add_subdirectory(tests/windows)
endif()

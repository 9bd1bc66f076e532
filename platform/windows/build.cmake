# Windows x64 build: Kestrine.dll with the Windows probes, and the command-line
# host as specs-host.exe. Both land in dist/windows/ and import system DLLs only.
find_package(glfw3 3.3 REQUIRED)  # static: a mingw build or glfw3.lib with MSVC

set(SPECS_DIST_DIR ${CMAKE_SOURCE_DIR}/dist/windows CACHE PATH "Where the built library and host land")

# Nothing from the compiler's runtime may be needed beside the DLL: libstdc++,
# libgcc and winpthread go in statically with GNU, the static CRT with MSVC.
function(specs_static_runtime target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  elseif(MSVC)
    set_target_properties(${target} PROPERTIES
      MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  endif()
endfunction()

add_library(Kestrine SHARED
  ${FRAME_SOURCES}
  ${BRAND_SOURCES_x86_64}
  platform/windows/windows_probes.cpp
  platform/glfw/glfw_renderer.cpp
  platform/glfw/glfw_section_win32.cpp
  interface/Kestrine.def)
target_include_directories(Kestrine PRIVATE interface)
target_compile_definitions(Kestrine PRIVATE SCRIPT_INTERFACE_BUILDING WIN32_LEAN_AND_MEAN NOMINMAX)
# GLFW's static library leaves gdi32 to its user; opengl32 is for glGetString.
target_link_libraries(Kestrine PRIVATE glfw opengl32 gdi32)
if(MINGW)
  # The .def file names the exports; keep the linker from adding any others.
  target_link_options(Kestrine PRIVATE -Wl,--exclude-all-symbols)
endif()
specs_static_runtime(Kestrine)
set_target_properties(Kestrine PROPERTIES
  PREFIX ""
  OUTPUT_NAME Kestrine
  RUNTIME_OUTPUT_DIRECTORY ${SPECS_DIST_DIR})

add_executable(specs-host host/specs_host.cpp host/library_loader_windows.cpp)
target_include_directories(specs-host PRIVATE interface)
target_compile_definitions(specs-host PRIVATE HOST_LIBRARY_FILE="Kestrine.dll" WIN32_LEAN_AND_MEAN NOMINMAX)
specs_static_runtime(specs-host)
set_target_properties(specs-host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SPECS_DIST_DIR})

if(SPECS_BUILD_TESTS AND CMAKE_CROSSCOMPILING)
  enable_testing()
  add_subdirectory(tests/windows)
endif()

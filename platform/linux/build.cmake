# Linux development build: libmachinespecs.so with real Linux probes, and the
# command-line host. Both land in dist/linux/, the library's debug information
# in libmachinespecs.so.debug beside it.
find_package(OpenGL REQUIRED)
include(${CMAKE_SOURCE_DIR}/cmake/reproducible.cmake)
# Debian's hardening flags for everything built here, tests included, as
# GLFW has them too.
include(${CMAKE_SOURCE_DIR}/cmake/hardening.cmake)

# GLFW is the library's own, never shared with the host: a static build
# (scripts/setup-glfw linux) linked in and kept out of the dynamic symbol table.
# A host that uses GLFW itself keeps its own state across getSpecs.
set(SPECS_GLFW_ROOT "" CACHE PATH "Install prefix of the static GLFW built by scripts/setup-glfw")
if(NOT SPECS_GLFW_ROOT)
  message(FATAL_ERROR "Set SPECS_GLFW_ROOT to the prefix that scripts/setup-glfw linux prints")
endif()
# Named outright, so that the system's shared GLFW is never picked instead.
set(glfw3_DIR ${SPECS_GLFW_ROOT}/lib/cmake/glfw3)
find_package(glfw3 3.3 REQUIRED CONFIG)
get_target_property(SPECS_GLFW_TYPE glfw TYPE)
if(NOT SPECS_GLFW_TYPE STREQUAL "STATIC_LIBRARY")
  message(FATAL_ERROR "GLFW at ${SPECS_GLFW_ROOT} is not a static library: the library's GLFW must be its own")
endif()
specs_reproducible_prefix(${SPECS_GLFW_ROOT} glfw-${glfw3_VERSION})

set(SPECS_DIST_DIR ${CMAKE_SOURCE_DIR}/dist/linux CACHE PATH "Where the built library and host land")

# The portable frame and the Linux probes as object sets, so tests can link the
# frame against a fake platform or the real probes directly.
add_library(specs_frame OBJECT ${FRAME_SOURCES} ${BRAND_SOURCES_x86_64})
target_include_directories(specs_frame PUBLIC interface)

add_library(specs_linux_probes OBJECT
  platform/linux/linux_probes.cpp
  platform/glfw/glfw_renderer.cpp
  platform/glfw/glfw_section_std.cpp
  platform/glfw/caller_context_glx.cpp)
target_link_libraries(specs_linux_probes PUBLIC glfw OpenGL::GL)

add_library(machinespecs SHARED
  $<TARGET_OBJECTS:specs_frame> $<TARGET_OBJECTS:specs_linux_probes>)
target_link_libraries(machinespecs PRIVATE glfw OpenGL::GL)
# The version script keeps the dynamic symbol table to the six entry points;
# hidden visibility alone lets GNU-unique template data from libstdc++ through.
# --exclude-libs keeps GLFW's own symbols local as well, so none of them can
# bind to, or be bound by, a GLFW that the host has loaded.
target_link_options(machinespecs PRIVATE
  -Wl,--version-script=${CMAKE_SOURCE_DIR}/interface/exports.map -Wl,--no-undefined
  -Wl,--exclude-libs,ALL)
set_target_properties(machinespecs PROPERTIES
  LINK_DEPENDS ${CMAKE_SOURCE_DIR}/interface/exports.map
  LIBRARY_OUTPUT_DIRECTORY ${SPECS_DIST_DIR})

# The library's debug information goes to libmachinespecs.so.debug beside it,
# which also shares its build ID. Sanitizer builds keep theirs inside, for
# their reports.
if(NOT SPECS_SANITIZE)
  specs_debug_file_apart(machinespecs)
endif()

add_executable(specs-host host/specs_host.cpp host/library_loader_posix.cpp)
target_include_directories(specs-host PRIVATE interface)
target_compile_definitions(specs-host PRIVATE HOST_LIBRARY_FILE="libmachinespecs.so")
target_link_libraries(specs-host PRIVATE ${CMAKE_DL_LIBS})
set_target_properties(specs-host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SPECS_DIST_DIR})

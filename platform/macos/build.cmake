# macOS x86-64: Pellator.framework, the frame with the macOS probes, linked
# against Metal, Foundation and libobjc. On a Mac this is the release build;
# on Linux structure/toolchain.cmake drives the same recipe against a stand-in
# SDK to check the Mach-O's structure only (PELLATOR_STRUCTURE_ONLY).
#
# Fixed by the deliverable, so plain variables that no -D can override.
set(CMAKE_OSX_DEPLOYMENT_TARGET 10.15)
set(CMAKE_OSX_ARCHITECTURES x86_64)

# A plain `cmake -S . -B build/macos` gives the release build.
if(NOT CMAKE_CONFIGURATION_TYPES AND NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()

set(SPECS_DIST_DIR ${CMAKE_SOURCE_DIR}/dist/macos CACHE PATH "Where the framework lands")
set(PELLATOR_INSTALL_NAME
  "$ENV{HOME}/Library/Frameworks/Pellator.framework/Versions/A/Pellator"
  CACHE STRING "Absolute path the host loads the library from, recorded as its install name")
set(PELLATOR_BUNDLE_IDENTIFIER "org.pellator.Pellator" CACHE STRING "CFBundleIdentifier of the framework")

# CMake builds the install name as <folder>/Pellator.framework/Versions/A/Pellator,
# so the chosen path must end that way; the rest is the folder.
if(NOT PELLATOR_INSTALL_NAME MATCHES "^(/.+)/Pellator\\.framework/Versions/A/Pellator$")
  message(FATAL_ERROR "PELLATOR_INSTALL_NAME must be absolute and end in "
    "/Pellator.framework/Versions/A/Pellator: ${PELLATOR_INSTALL_NAME}")
endif()
set(pellatorFolder ${CMAKE_MATCH_1})

set(exportedSymbols ${CMAKE_CURRENT_LIST_DIR}/exported_symbols.txt)

add_library(Pellator SHARED ${FRAME_SOURCES} ${BRAND_SOURCES_x86_64} platform/macos/macos_probes.cpp)
# platform/macos/system holds the apple_runtime.h that includes the SDK's headers.
target_include_directories(Pellator PRIVATE interface platform/macos/system)
# Nothing of Foundation is linked by name: NSAutoreleasePool is found at run
# time through objc_getClass, so Foundation must be loaded with the library.
target_link_libraries(Pellator PRIVATE "-framework Metal" "-framework Foundation" objc)
target_link_options(Pellator PRIVATE
  # Exactly the six entry points; libc++'s template code stays private.
  "LINKER:-exported_symbols_list,${exportedSymbols}"
  # Room for install_name_tool to give any path without rewriting the file.
  "LINKER:-headerpad_max_install_names")
set_target_properties(Pellator PROPERTIES
  FRAMEWORK TRUE
  FRAMEWORK_VERSION A
  MACOSX_FRAMEWORK_IDENTIFIER ${PELLATOR_BUNDLE_IDENTIFIER}
  MACOSX_FRAMEWORK_BUNDLE_VERSION 1.0.0
  MACOSX_FRAMEWORK_SHORT_VERSION_STRING 1.0.0
  # Mach-O: VERSION is the current version, SOVERSION the compatibility version.
  VERSION 1.0.0
  SOVERSION 1.0.0
  INSTALL_NAME_DIR ${pellatorFolder}
  BUILD_WITH_INSTALL_NAME_DIR TRUE
  LINK_DEPENDS ${exportedSymbols}
  LIBRARY_OUTPUT_DIRECTORY ${SPECS_DIST_DIR})

if(PELLATOR_STRUCTURE_ONLY)
  message(STATUS "Pellator: structure build against the stand-in SDK; the framework is not a release")
  add_custom_command(TARGET Pellator POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E echo
      "Pellator.framework: built against the stand-in SDK for a structure check; not a release and never to be shipped."
    VERBATIM)
  enable_testing()
  include(${CMAKE_CURRENT_LIST_DIR}/structure/checks.cmake)
endif()

# macOS: Pellator.framework, the frame with the macOS probes, linked against
# Metal, Foundation, CoreGraphics and libobjc, as a universal Mach-O: an
# x86_64 slice (CPUID brand, the kernel's under Rosetta 2; macOS 10.15 and
# later) and an arm64 slice (the kernel's brand; macOS 11.0, the first on
# arm64), so that hosts running natively on either processor load it. Beside
# it, specs-host for the Mac, universal too, and with SPECS_BUILD_TESTS the
# tests a Mac runs on itself (tests/macos/native/).
# On a Mac this is the release build; on Linux
# tests/macos/structure/toolchain.cmake drives the same recipe against a
# stand-in SDK to check the Mach-O's structure only (PELLATOR_STRUCTURE_ONLY).
# The slices' debug information goes into Pellator.framework.dSYM beside the
# framework, the same from any build folder as the framework itself.
include(${CMAKE_SOURCE_DIR}/cmake/reproducible.cmake)
option(PELLATOR_UNIVERSAL "Build the arm64 slice too; OFF gives the x86-64 framework alone" ON)

# Fixed by the deliverable, so plain variables that no -D can override. Each
# slice is a target of its own, because the brand's source differs by
# processor and one compile for several architectures cannot choose a file per
# processor; so each slice names its architecture and minimum system itself.
set(CMAKE_OSX_DEPLOYMENT_TARGET "")
set(pellatorMinimumSystem_x86_64 10.15)
set(pellatorMinimumSystem_arm64 11.0)

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

# A slice's debug information goes into Pellator.framework.dSYM beside its
# framework, where Xcode, atos and crash reporters find it by the slice's
# UUID; then the slice is stripped as a release build strips it: no debug map
# naming this machine's objects, no local symbols. dsymutil runs in the
# slice's folder, so that what it records of the library's path is the same
# from any build folder. Stripping an arm64 slice voids the linker's
# signature: llvm's strip signs it again as the linker did, and on a Mac
# codesign signs the whole bundle once the slices are merged.
find_program(PELLATOR_DSYMUTIL dsymutil)
if(NOT PELLATOR_DSYMUTIL OR NOT CMAKE_STRIP)
  message(FATAL_ERROR "dsymutil and strip make the framework's dSYM: install Xcode's command-line tools (xcode-select --install)")
endif()
set(pellatorDebugFile Pellator.framework.dSYM)
set(pellatorDebugLibrary ${pellatorDebugFile}/Contents/Resources/DWARF/Pellator)
function(pellator_debug_file target folder)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${pellatorDebugFile}
    COMMAND ${PELLATOR_DSYMUTIL} --oso-prepend-path ${CMAKE_BINARY_DIR}
            Pellator.framework/Versions/A/Pellator -o ${pellatorDebugFile}
    COMMAND ${CMAKE_STRIP} -S -x Pellator.framework/Versions/A/Pellator
    WORKING_DIRECTORY ${folder}
    VERBATIM)
endfunction()

# One slice: the same sources, links, exports, install name and versions for
# every processor; only the brand's source and the minimum system differ.
function(add_pellator_slice target arch outputFolder)
  add_library(${target} SHARED
    ${FRAME_SOURCES} ${MACOS_BRAND_SOURCES_${arch}} platform/macos/macos_probes.cpp)
  # platform/macos/system holds the apple_runtime.h that includes the SDK's headers.
  target_include_directories(${target} PRIVATE interface platform/macos/system)
  # PELLATOR_SLICE_COMPILE_OPTIONS_<arch>: what a slice needs beyond the SDK
  # (the structure build's borrowed C headers); empty on a Mac.
  target_compile_options(${target} PRIVATE
    -mmacosx-version-min=${pellatorMinimumSystem_${arch}} ${PELLATOR_SLICE_COMPILE_OPTIONS_${arch}})
  # A stack canary in every function with a local array or a local whose
  # address is taken, as a hardened release has it: clang's default protects
  # only character buffers of 8 bytes or more, which the arm64 slice has none of.
  target_compile_options(${target} PRIVATE -fstack-protector-strong)
  # Nothing of Foundation is linked by name: NSAutoreleasePool is found at run
  # time through objc_getClass, so Foundation must be loaded with the library.
  # Nor is anything of CoreGraphics: macOS gives MTLCreateSystemDefaultDevice a
  # device only in a process that has CoreGraphics loaded, which a
  # command-line host does not have of its own.
  target_link_libraries(${target} PRIVATE
    "-framework Metal" "-framework Foundation" "-framework CoreGraphics" objc)
  target_link_options(${target} PRIVATE
    -mmacosx-version-min=${pellatorMinimumSystem_${arch}}
    # Exactly the six entry points; libc++'s template code stays private.
    "LINKER:-exported_symbols_list,${exportedSymbols}"
    # Room for install_name_tool to give any path without rewriting the file.
    "LINKER:-headerpad_max_install_names")
  set_target_properties(${target} PROPERTIES
    OSX_ARCHITECTURES ${arch}
    OUTPUT_NAME Pellator
    FRAMEWORK TRUE
    FRAMEWORK_VERSION A
    MACOSX_FRAMEWORK_IDENTIFIER ${PELLATOR_BUNDLE_IDENTIFIER}
    MACOSX_FRAMEWORK_BUNDLE_VERSION ${PROJECT_VERSION}
    MACOSX_FRAMEWORK_SHORT_VERSION_STRING ${PROJECT_VERSION}
    # Mach-O: VERSION is the current version, SOVERSION the compatibility version.
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION}
    INSTALL_NAME_DIR ${pellatorFolder}
    BUILD_WITH_INSTALL_NAME_DIR TRUE
    LINK_DEPENDS ${exportedSymbols}
    LIBRARY_OUTPUT_DIRECTORY ${outputFolder})
  # Debug information, for the dSYM alone.
  target_compile_options(${target} PRIVATE -g)
  pellator_debug_file(${target} ${outputFolder})
endfunction()

# The framework's own target is the x86_64 slice, the deliverable as it has
# always been. The arm64 slice is linked into a framework of its own in the
# build folder, and its library merged in once the x86_64 link is done.
add_pellator_slice(Pellator x86_64 ${SPECS_DIST_DIR})
if(PELLATOR_UNIVERSAL)
  find_program(PELLATOR_LIPO lipo)
  if(NOT PELLATOR_LIPO)
    message(FATAL_ERROR "lipo merges the slices: install Xcode's command-line tools, "
      "or build the x86-64 framework alone with -DPELLATOR_UNIVERSAL=OFF")
  endif()
  set(arm64Folder ${CMAKE_BINARY_DIR}/pellator-slices/arm64)
  set(arm64Library ${arm64Folder}/Pellator.framework/Versions/A/Pellator)
  add_pellator_slice(Pellator-arm64 arm64 ${arm64Folder})
  add_dependencies(Pellator Pellator-arm64)
  # A new arm64 slice relinks the x86_64 one, so that the merge runs again.
  set_property(TARGET Pellator APPEND PROPERTY LINK_DEPENDS ${arm64Library})
  # Merged into a copy, which replaces the library only once lipo succeeds.
  add_custom_command(TARGET Pellator POST_BUILD
    COMMAND ${PELLATOR_LIPO} -create $<TARGET_FILE:Pellator> ${arm64Library}
            -output $<TARGET_FILE:Pellator>.merged
    COMMAND ${CMAKE_COMMAND} -E rename $<TARGET_FILE:Pellator>.merged $<TARGET_FILE:Pellator>
    VERBATIM)
  # And the two dSYMs into one, as the slices: the DWARF files merged, the
  # rest (the same Info.plist, dsymutil's notes for each processor) copied.
  set(dsym ${SPECS_DIST_DIR}/${pellatorDebugLibrary})
  add_custom_command(TARGET Pellator POST_BUILD
    COMMAND ${PELLATOR_LIPO} -create ${dsym} ${arm64Folder}/${pellatorDebugLibrary} -output ${dsym}.merged
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${arm64Folder}/${pellatorDebugFile} ${SPECS_DIST_DIR}/${pellatorDebugFile}
    COMMAND ${CMAKE_COMMAND} -E rename ${dsym}.merged ${dsym}
    VERBATIM)
endif()

# What a program for one processor needs, the Mac's own tools (specs-host and
# the tests a Mac runs): the processor, its first system, and what the
# structure build adds (PELLATOR_PROGRAM_LINK_OPTIONS: the stand-in SDK lists
# only what the framework imports).
function(pellator_program_for target arch)
  set_target_properties(${target} PROPERTIES OSX_ARCHITECTURES ${arch})
  target_compile_options(${target} PRIVATE
    -mmacosx-version-min=${pellatorMinimumSystem_${arch}} ${PELLATOR_SLICE_COMPILE_OPTIONS_${arch}})
  target_link_options(${target} PRIVATE
    -mmacosx-version-min=${pellatorMinimumSystem_${arch}} ${PELLATOR_PROGRAM_LINK_OPTIONS})
endfunction()

# specs-host, as the script host loads the framework, for both processors: on
# Apple silicon `arch -x86_64 specs-host` loads the x86_64 slice under Rosetta.
function(add_specs_host target arch)
  add_executable(${target} host/specs_host.cpp host/library_loader_posix.cpp)
  target_include_directories(${target} PRIVATE interface)
  target_compile_definitions(${target} PRIVATE HOST_LIBRARY_FILE="Pellator.framework/Pellator")
  pellator_program_for(${target} ${arch})
endfunction()
add_specs_host(specs-host x86_64)
set_target_properties(specs-host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SPECS_DIST_DIR})
if(PELLATOR_UNIVERSAL)
  add_specs_host(specs-host-arm64 arm64)
  set_target_properties(specs-host-arm64 PROPERTIES
    OUTPUT_NAME specs-host RUNTIME_OUTPUT_DIRECTORY ${arm64Folder})
  add_dependencies(specs-host specs-host-arm64)
  set_property(TARGET specs-host APPEND PROPERTY LINK_DEPENDS ${arm64Folder}/specs-host)
  add_custom_command(TARGET specs-host POST_BUILD
    COMMAND ${PELLATOR_LIPO} -create $<TARGET_FILE:specs-host> ${arm64Folder}/specs-host
            -output $<TARGET_FILE:specs-host>.merged
    COMMAND ${CMAKE_COMMAND} -E rename $<TARGET_FILE:specs-host>.merged $<TARGET_FILE:specs-host>
    VERBATIM)
endif()

if(NOT PELLATOR_STRUCTURE_ONLY)
  # The whole bundle signed ad hoc, once both slices are in, as Xcode signs a
  # framework to run locally: the x86_64 slice has no signature of its own,
  # and the sealed resources let codesign --verify check the bundle.
  # scripts/package signs the packed copy again, with a Developer ID if given.
  find_program(PELLATOR_CODESIGN codesign)
  if(NOT PELLATOR_CODESIGN)
    message(FATAL_ERROR "codesign signs the framework: install Xcode's command-line tools (xcode-select --install)")
  endif()
  add_custom_command(TARGET Pellator POST_BUILD
    COMMAND ${PELLATOR_CODESIGN} --force --sign - ${SPECS_DIST_DIR}/Pellator.framework
    VERBATIM)
endif()

if(SPECS_BUILD_TESTS)
  enable_testing()
  add_subdirectory(tests/macos/native)
endif()

if(PELLATOR_STRUCTURE_ONLY)
  set(SPECS_NOT_A_RELEASE_BECAUSE "a structure check linked against the stand-in SDK")
  message(STATUS "Pellator: structure build against the stand-in SDK; the framework is not a release")
  add_custom_command(TARGET Pellator POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E echo
      "Pellator.framework: built against the stand-in SDK for a structure check; not a release and never to be shipped."
    VERBATIM)
  if(SPECS_BUILD_TESTS)
    enable_testing()
    add_subdirectory(tests/macos/structure)
  endif()
endif()

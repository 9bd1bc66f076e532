# The same bytes from any folder, at any time: what the compiler, archiver and
# linker would take from this machine's paths or clock is mapped or fixed.
# Included by the Linux, Windows and macOS builds, and by GLFW's own build
# (scripts/setup-glfw) as its CMAKE_PROJECT_INCLUDE. Also splits a library's
# debug information off, the same way on both.

# The library as shipped carries no debug sections or symbol table (the loader
# reads neither): they go to LIBRARY.debug beside it in the dist folder, which
# the library names in .gnu_debuglink with a checksum, so gdb and addr2line
# find it for a crash address. (The Windows DLLs have a PDB instead:
# cmake/pdb.cmake.)
function(specs_debug_file_apart target)
  set(library $<TARGET_FILE_NAME:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${library} ${library}.debug
    COMMAND ${CMAKE_STRIP} --strip-all ${library}
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=${library}.debug ${library}
    WORKING_DIRECTORY ${SPECS_DIST_DIR}
    VERBATIM)
endfunction()

if(NOT CMAKE_C_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()

# Paths in debug information and __FILE__: the source and build folders under a
# fixed root named for the project (gdb's `set substitute-path` leads it back to
# a checkout). GCC takes the last map that matches, and the build folder may lie
# inside the sources, so its map comes second.
set(SPECS_REPRODUCIBLE_ROOT /src/${PROJECT_NAME})
add_compile_options(
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=${SPECS_REPRODUCIBLE_ROOT}>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=${SPECS_REPRODUCIBLE_ROOT}/build>")

# A toolchain of our own in the cache folder (the Windows runtimes of
# scripts/setup-mingw-llvm): its headers by a fixed name, as its libraries
# were built.
if(MINGW_TOOLCHAIN_ROOT)
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${MINGW_TOOLCHAIN_ROOT}=/src/toolchain>")
endif()

# A folder outside the sources that the build reads headers from (a library's
# install prefix in a cache folder), by a fixed name. Call it after the
# project's own maps, before the targets.
function(specs_reproducible_prefix folder name)
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${folder}=/src/${name}>")
endfunction()

if(APPLE)
  # ld64 makes the UUID from the content and writes no time into the image.
  # But the debug map it writes for dsymutil names each object by absolute
  # path with its time, and ld64.lld hashes that into the UUID: the objects
  # are named from the build folder instead (dsymutil is told which:
  # --oso-prepend-path) and without a time (ZERO_AR_DATE, which the linker
  # reads from its environment).
  add_link_options(LINKER:-oso_prefix,${CMAKE_BINARY_DIR}/)
  foreach(lang C CXX)
    set(CMAKE_${lang}_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env ZERO_AR_DATE=1)
  endforeach()
  return()
endif()

# Static libraries without member times, owners or modes.
foreach(lang C CXX)
  set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()

if(MINGW)
  # The linker (lld, or GNU ld) writes the link time into the PE header, and
  # GNU ld as mingw's GCC drives it picks a DLL's image base from a hash of the
  # output path. The fixed default base, lld's anyway, costs nothing: the DLL
  # is relocatable (DYNAMIC_BASE) and moved anyway.
  add_link_options(-Wl,--no-insert-timestamp -Wl,--disable-auto-image-base)
  # lld writes a hash of the content there instead (/Brepro, with a Repro
  # debug entry saying so): debuggers and symbol stores know a build by that
  # time with its SizeOfImage, and a fixed 0 would make every build one key.
  if(CMAKE_C_COMPILER_ID STREQUAL "Clang")
    add_link_options(-Wl,--Xlink=-Brepro)
  endif()
else()
  # A build ID from the linked content alone, shared by a library and its
  # debug file, by which gdb and debuginfod pair them.
  add_link_options(-Wl,--build-id=sha1)
endif()


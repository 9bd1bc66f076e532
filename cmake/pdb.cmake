# A DLL's debug information as Windows' debuggers and symbol tools read it: a
# PDB beside it (lld's, from clang's CodeView), which the DLL's CodeView record
# names and matches by GUID and age. The same bytes from any folder.

# CodeView holds what no prefix map reaches: each object's clang command line,
# and the link's command line and folders (lld's "* Linker *" module). So the
# compiles and links of this folder's targets run through cmake/path-view,
# which names each folder they read, the sources, the build and those given as
# NAME=FOLDER, by a link of that name in BUILD/path-view, relative to the folder
# the command runs in. The compile folder is given as "." (clang would record
# the current folder, and clang 15 and later make the object's name absolute
# from it unless it is relative: CodeView's S_OBJNAME); the link's by a fixed
# name (lld makes relative paths absolute from it). Call before the targets.
function(specs_path_view)
  set(view ${CMAKE_BINARY_DIR}/path-view)
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  foreach(link src=${CMAKE_SOURCE_DIR} build=${CMAKE_BINARY_DIR} ${ARGN})
    string(REGEX MATCH "^([^=]+)=(.*)$" _ ${link})
    file(CREATE_LINK ${CMAKE_MATCH_2} ${view}/${CMAKE_MATCH_1} SYMBOLIC)
  endforeach()
  foreach(lang C CXX)
    set(CMAKE_${lang}_COMPILER_LAUNCHER ${CMAKE_SOURCE_DIR}/cmake/path-view ${view} PARENT_SCOPE)
    set(CMAKE_${lang}_LINKER_LAUNCHER ${CMAKE_SOURCE_DIR}/cmake/path-view ${view} PARENT_SCOPE)
  endforeach()
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-compilation-dir=.>")
  add_link_options(-Wl,--Xlink=-pdbsourcepath:${SPECS_REPRODUCIBLE_ROOT}/build)
endfunction()

# TARGET's debug information in NAME.pdb beside it, and none left in the DLL:
# lld keeps the DWARF of the runtime's objects (mingw-w64's, GCC's) whatever
# its strip flags, so llvm's objcopy takes it out afterwards (it keeps the
# header's time, where GNU's writes it anew). The record names the PDB without
# a folder: debuggers look beside the DLL and on their symbol path.
function(specs_pdb target)
  set(pdb $<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.pdb)
  target_compile_options(${target} PRIVATE -gcodeview)
  target_link_options(${target} PRIVATE -Wl,--pdb=${pdb} -Wl,--Xlink=-pdbaltpath:%_PDB%)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${MINGW_LLVM_BIN}/llvm-objcopy --strip-debug $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()

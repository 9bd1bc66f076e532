# The Mac's release build as the rehearsal plays it (bin/cmake): the structure
# build's compilers, linker and stand-in SDK, taking the recipe's Mac branch,
# so the framework is signed (by bin/codesign) and marked as a release, and the
# Mac's own tests are registered. Used only in the rehearsal's copy of the tree.

# The Mac's dsymutil and strip, stood in for; named before the structure
# build's toolchain would find llvm's own.
set(PELLATOR_DSYMUTIL ${CMAKE_CURRENT_LIST_DIR}/bin/dsymutil CACHE FILEPATH "dsymutil, stood in for")
set(CMAKE_STRIP ${CMAKE_CURRENT_LIST_DIR}/bin/strip CACHE FILEPATH "strip, stood in for")
include(${CMAKE_CURRENT_LIST_DIR}/../structure/toolchain.cmake)
set(PELLATOR_STRUCTURE_ONLY OFF)
set(PELLATOR_CODESIGN ${CMAKE_CURRENT_LIST_DIR}/bin/codesign CACHE FILEPATH "codesign, stood in for")

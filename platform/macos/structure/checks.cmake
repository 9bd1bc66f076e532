# Structural checks of the framework built against the stand-in SDK, each a
# ctest test run with llvm's Mach-O tools: the file as a whole, then each
# slice read on its own.
set(PELLATOR_LLVM_SUFFIX "-14" CACHE STRING "Suffix of the llvm tool names (llvm-objdump-14)")
set(pellatorSlices x86_64)
if(PELLATOR_UNIVERSAL)
  list(APPEND pellatorSlices arm64)
endif()

set(pellatorChecker ${CMAKE_CURRENT_LIST_DIR}/check_framework.sh)

# add_pellator_check(NAME CHECK ARCH...): the slices the check reads.
function(add_pellator_check name check)
  add_test(NAME ${name}
    COMMAND ${pellatorChecker} ${check}
            ${SPECS_DIST_DIR}/Pellator.framework ${PELLATOR_INSTALL_NAME} ${PELLATOR_LLVM_SUFFIX} ${ARGN})
endfunction()

foreach(check layout slices header-room)
  add_pellator_check(pellator_${check} ${check} ${pellatorSlices})
endforeach()
foreach(arch IN LISTS pellatorSlices)
  set(checks header minimum-system install-name exports linked-libraries binding brand-source)
  if(arch STREQUAL "arm64")
    list(APPEND checks signature)
  endif()
  foreach(check IN LISTS checks)
    add_pellator_check(pellator_${arch}_${check} ${check} ${arch})
  endforeach()
endforeach()

# Structural checks of the framework built against the stand-in SDK, each a
# ctest test run with llvm's Mach-O tools.
set(PELLATOR_LLVM_SUFFIX "-14" CACHE STRING "Suffix of the llvm tool names (llvm-objdump-14)")
foreach(check layout header install-name minimum-system exports linked-libraries binding header-room)
  add_test(NAME pellator_${check}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/check_framework.sh ${check}
            ${SPECS_DIST_DIR}/Pellator.framework ${PELLATOR_INSTALL_NAME} ${PELLATOR_LLVM_SUFFIX})
endforeach()

# What Control Flow Guard and the stack protector, compiled into everything by
# the toolchain files (cmake/mingw-w64-clang.cmake), need at run time: a load
# configuration that tells Windows of the guard, the guard's pointers, and the
# protector's canary and failure. Each is the C runtime's where it has one
# (mingw-w64 12's x64 runtime has the pointers and the protector), never a
# second copy beside it; else this folder's own, in the object library
# windows_hardening, which every later target of the including folder links.
# Included by platform/windows/build.cmake, and by the test projects built
# with the same toolchain files.
include(CheckSourceCompiles)
set(CMAKE_REQUIRED_QUIET ON)
set(processor x64)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(ARM64|aarch64)$")
  set(processor arm64)
endif()
set(hardeningSources "")
foreach(part _load_config_used:load_config __guard_check_icall_fptr:guard_${processor}
             __stack_chk_guard:stack_protector)
  string(REPLACE ":" ";" part ${part})
  list(GET part 0 symbol)
  list(GET part 1 name)
  check_source_compiles(C "extern const char ${symbol}[]; int main(void) { return ${symbol}[0]; }"
                        SPECS_RUNTIME_HAS${symbol})
  if(NOT SPECS_RUNTIME_HAS${symbol})
    list(APPEND hardeningSources ${CMAKE_CURRENT_LIST_DIR}/${name}.c)
  endif()
endforeach()
if(hardeningSources)
  add_library(windows_hardening OBJECT ${hardeningSources})
  # __fastfail is one of clang's Microsoft builtins.
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/stack_protector.c PROPERTIES COMPILE_OPTIONS -fms-extensions)
  link_libraries(windows_hardening)
endif()

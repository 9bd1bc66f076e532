# Debian's hardening for the Linux build, as the release hardens its own
# packages: what dpkg-buildflags gives with DEB_BUILD_MAINT_OPTIONS=hardening=+all,
# and PIE for programs. Included by platform/linux/build.cmake and by the
# static GLFW's build (scripts/setup-glfw linux), which also runs it as a
# script (cmake -P) to print the flags into GLFW's cache key.

# Debian's hardening flags of one kind (CFLAGS, CXXFLAGS, CPPFLAGS, LDFLAGS):
# those dpkg-buildflags gives with every hardening feature on and not with
# every one off. -g, -O2 and the path map come either way and stay out: they
# would fight the build types and our own path maps. A release whose dpkg
# hardens more (Debian 13: stack clash protection, CET) gives more.
function(specs_dpkg_hardening kind out)
  foreach(setting hardened plain)
    set(features +all)
    if(setting STREQUAL "plain")
      set(features -all)
    endif()
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=${features} dpkg-buildflags --get ${kind}
      WORKING_DIRECTORY / RESULT_VARIABLE failed OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(failed)
      message(FATAL_ERROR "dpkg-buildflags (Debian's dpkg-dev) gives the hardening flags: ${failed}")
    endif()
    separate_arguments(${setting} UNIX_COMMAND "${flags}")
  endforeach()
  if(plain)
    list(REMOVE_ITEM hardened ${plain})
  endif()
  set(${out} ${hardened} PARENT_SCOPE)
endfunction()

specs_dpkg_hardening(CFLAGS SPECS_HARDENING_C)
specs_dpkg_hardening(CXXFLAGS SPECS_HARDENING_CXX)
specs_dpkg_hardening(CPPFLAGS SPECS_HARDENING_CPP)
specs_dpkg_hardening(LDFLAGS SPECS_HARDENING_LD)
# _FORTIFY_SOURCE apart: it needs optimisation.
set(SPECS_HARDENING_FORTIFY ${SPECS_HARDENING_CPP})
list(FILTER SPECS_HARDENING_FORTIFY INCLUDE REGEX "_FORTIFY_SOURCE")
list(FILTER SPECS_HARDENING_CPP EXCLUDE REGEX "_FORTIFY_SOURCE")

if(CMAKE_SCRIPT_MODE_FILE)
  foreach(kind C CXX CPP FORTIFY LD)
    string(JOIN " " flags ${SPECS_HARDENING_${kind}})
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${kind}: ${flags}")
  endforeach()
  return()
endif()

add_compile_options(
  "$<$<COMPILE_LANGUAGE:C>:${SPECS_HARDENING_C}>"
  "$<$<COMPILE_LANGUAGE:CXX>:${SPECS_HARDENING_CXX}>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:${SPECS_HARDENING_CPP}>")
# glibc's fortified calls only where the compiler optimises: without, glibc
# warns that it cannot, which -Werror makes fatal (a Debug build). The
# sanitizer and fuzz builds take everything else: their memory checks are the
# sanitizers' own.
if(NOT SPECS_SANITIZE)
  add_compile_options(
    "$<$<AND:$<COMPILE_LANGUAGE:C,CXX>,$<NOT:$<CONFIG:Debug>>>:${SPECS_HARDENING_FORTIFY}>")
endif()
add_link_options(${SPECS_HARDENING_LD})

# Programs are linked as PIE (POSITION_INDEPENDENT_CODE, which cmake/frame.cmake
# sets), whatever the compiler's default.
include(CheckPIESupported)
check_pie_supported()

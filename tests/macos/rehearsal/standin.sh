# shellcheck shell=bash
# Sourced by the stand-ins for Apple's tools: the fake Mac they answer for, and
# the way back to this machine's own tools, which that Mac's PATH lacks.
#   REHEARSAL_MACHINE       the Mac's facts (machines/), one "name value" a line
#   REHEARSAL_LINUX_PATH    this machine's PATH
#   REHEARSAL_PROCESS_ARCH  the processor a program runs as, set by arch;
#                           otherwise the Mac's own
#   REHEARSAL_LLVM_VERSION  this machine's LLVM (scripts/debian-release), whose
#                           Mach-O tools play Apple's

# fact NAME: the Mac's value for NAME, empty when it has none.
fact() { awk -v name="$1" '$1 == name { sub(/^[^ ]+ ?/, ""); print; exit }' "$REHEARSAL_MACHINE"; }
# linux COMMAND...: runs one of this machine's tools.
linux() { PATH=$REHEARSAL_LINUX_PATH "$@"; }
# llvm TOOL ARGS...: this machine's llvm-TOOL (lipo, nm, otool, objdump).
llvm() { local tool=$1; shift; linux "llvm-$tool-$REHEARSAL_LLVM_VERSION" "$@"; }
# The processor a process runs as: x86_64 on Apple silicon under Rosetta 2.
process_arch() { echo "${REHEARSAL_PROCESS_ARCH:-$(fact processor)}"; }
# is_mach_o FILE: a 64-bit Mach-O file or a universal one, by its magic number.
is_mach_o() {
  case $(od -An -tx1 -N4 "$1" 2>/dev/null | tr -d ' \n') in cffaedfe | cafebabe) return 0 ;; *) return 1 ;; esac
}

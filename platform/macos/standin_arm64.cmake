# aarch64 Linux: no deliverable. The frame with the arm64 slice's brand source,
# which asks sysctlbyname, answered here by the stand-in layer, so that the
# frame and macOS probe tests run the arm64 logic under qemu.
add_library(specs_frame OBJECT
  ${FRAME_SOURCES} ${BRAND_SOURCES_arm64}
  platform/macos/standin/standin_sysctlbyname.cpp)
target_include_directories(specs_frame PUBLIC interface)
# The brand source's apple_runtime.h is the hand-written runtime's, the one the
# macOS probe tests run on here (there is no GNUstep for aarch64); it declares
# sysctlbyname through the shared standin_sysctl.h.
target_include_directories(specs_frame PRIVATE platform/macos/standin/handwritten)

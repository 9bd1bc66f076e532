# Cross-compiling for aarch64 Linux with Debian's cross compilers, to run the
# arm64 slice's logic here: programs run under qemu-aarch64 from qemu-user,
# named outright because this machine registers no binfmt handler for them.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(AARCH64_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${AARCH64_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${AARCH64_TRIPLE}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${AARCH64_TRIPLE})
# -L: the dynamic loader and libraries of Debian's arm64 cross packages.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/${AARCH64_TRIPLE})

# Build tools come from the build machine; headers, libraries and packages
# only from the target's root, never from the build machine's /usr.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

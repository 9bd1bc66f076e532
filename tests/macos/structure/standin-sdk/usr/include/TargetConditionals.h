/* Stand-in SDK for the Mach-O structure check: the target is macOS. */
#ifndef STANDIN_TARGETCONDITIONALS_H
#define STANDIN_TARGETCONDITIONALS_H
#define TARGET_OS_MAC 1
#define TARGET_OS_OSX 1
#define TARGET_OS_IPHONE 0
#define TARGET_OS_IOS 0
#endif

/* Stand-in SDK for the Mach-O structure check: the oldest macOS the slices are
 * for, 10.15. */
#ifndef STANDIN_AVAILABILITYMACROS_H
#define STANDIN_AVAILABILITYMACROS_H
#define MAC_OS_X_VERSION_MIN_REQUIRED 101500
#endif

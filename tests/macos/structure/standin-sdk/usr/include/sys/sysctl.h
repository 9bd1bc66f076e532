/* Stand-in SDK for the Mach-O structure check: sysctl and the one name the
 * macOS probes read, hw.memsize, and sysctlbyname, which the arm64 slice asks
 * for the processor's brand. */
#ifndef STANDIN_SYS_SYSCTL_H
#define STANDIN_SYS_SYSCTL_H

#include <stddef.h>

#define CTL_HW 6
#define HW_MEMSIZE 24

#ifdef __cplusplus
extern "C" {
#endif

int sysctl(int *name, unsigned int namelen, void *oldp, size_t *oldlenp, void *newp, size_t newlen);
int sysctlbyname(const char *name, void *oldp, size_t *oldlenp, void *newp, size_t newlen);

#ifdef __cplusplus
}
#endif

#endif

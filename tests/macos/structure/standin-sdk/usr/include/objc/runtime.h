/* Stand-in SDK for the Mach-O structure check: class and selector look-up. */
#ifndef STANDIN_OBJC_RUNTIME_H
#define STANDIN_OBJC_RUNTIME_H

#include <objc/objc.h>

#ifdef __cplusplus
extern "C" {
#endif

id objc_getClass(const char *name);
SEL sel_registerName(const char *name);

#ifdef __cplusplus
}
#endif

#endif

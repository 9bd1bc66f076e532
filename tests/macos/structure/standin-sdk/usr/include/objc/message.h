/* Stand-in SDK for the Mach-O structure check: the message trampoline,
 * declared without parameters so that callers cast it to the exact type of
 * the method they reach. */
#ifndef STANDIN_OBJC_MESSAGE_H
#define STANDIN_OBJC_MESSAGE_H

#include <objc/objc.h>

#ifdef __cplusplus
extern "C" {
#endif

void objc_msgSend(void);

#ifdef __cplusplus
}
#endif

#endif

/* Stand-in SDK for the Mach-O structure check: the object runtime's basic
 * types, as far as the macOS probes use them. */
#ifndef STANDIN_OBJC_OBJC_H
#define STANDIN_OBJC_OBJC_H

typedef struct objc_class *Class;
typedef struct objc_object *id;
typedef struct objc_selector *SEL;
/* Apple's BOOL: bool on arm64, signed char on x86_64. */
#if (defined(__arm64__) || defined(__aarch64__)) && defined(__cplusplus)
typedef bool BOOL;
#elif defined(__arm64__) || defined(__aarch64__)
typedef _Bool BOOL;
#else
typedef signed char BOOL;
#endif

#endif

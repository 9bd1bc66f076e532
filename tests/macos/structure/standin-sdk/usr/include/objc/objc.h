/* Stand-in SDK for the Mach-O structure check: the object runtime's basic
 * types, as far as the macOS probes use them. */
#ifndef STANDIN_OBJC_OBJC_H
#define STANDIN_OBJC_OBJC_H

typedef struct objc_class *Class;
typedef struct objc_object *id;
typedef struct objc_selector *SEL;

#endif

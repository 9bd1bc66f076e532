/* Test-only preload: every dlopen gets RTLD_NODELETE, so libraries unloaded
 * before exit (the GL driver, GLFW, our own) keep their code and names mapped
 * and leak checkers can tell whose allocation a leak is. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stddef.h>

__attribute__((visibility("default"))) void *dlopen(const char *file, int mode) {
    static void *(*realDlopen)(const char *, int);
    if (realDlopen == NULL) realDlopen = (void *(*)(const char *, int))dlsym(RTLD_NEXT, "dlopen");
    return realDlopen(file, mode | RTLD_NODELETE);
}

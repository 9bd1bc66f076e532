/* Stand-in SDK for the Mach-O structure check: the locale-taking C functions
 * that libc++'s <locale> calls on Apple platforms, over glibc's borrowed
 * locale_t. Only GoogleTest's iostreams, in the tests a Mac runs, need them. */
#ifndef STANDIN_XLOCALE_H
#define STANDIN_XLOCALE_H

#include <ctype.h>
#include <locale.h>
#include <stddef.h>

/* glibc makes these macros that read its own locale structure. */
#undef isdigit_l
#undef isxdigit_l

#ifdef __cplusplus
extern "C" {
#endif

int isdigit_l(int c, locale_t locale);
int isxdigit_l(int c, locale_t locale);
int snprintf_l(char *to, size_t size, locale_t locale, const char *format, ...);
int asprintf_l(char **to, locale_t locale, const char *format, ...);
int sscanf_l(const char *from, locale_t locale, const char *format, ...);
struct lconv *localeconv_l(locale_t locale);

#ifdef __cplusplus
}
#endif

#endif

/* Stand-in SDK for the Mach-O structure check: the C string functions, as
 * plain C declarations. glibc's own header, borrowed for the rest of the C
 * library, binds its C++ overloads (memchr and the like) to unprefixed asm
 * names, which on Mach-O would import "memchr" rather than "_memchr". */
#ifndef STANDIN_STRING_H
#define STANDIN_STRING_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

void *memchr(const void *s, int c, size_t n);
int memcmp(const void *a, const void *b, size_t n);
void *memcpy(void *to, const void *from, size_t n);
void *memmove(void *to, const void *from, size_t n);
void *memset(void *s, int c, size_t n);
char *strcat(char *to, const char *from);
char *strchr(const char *s, int c);
int strcmp(const char *a, const char *b);
int strcoll(const char *a, const char *b);
char *strcpy(char *to, const char *from);
char *strdup(const char *s);
size_t strcspn(const char *s, const char *reject);
char *strerror(int error);
size_t strlen(const char *s);
char *strncat(char *to, const char *from, size_t n);
int strncmp(const char *a, const char *b, size_t n);
char *strncpy(char *to, const char *from, size_t n);
char *strpbrk(const char *s, const char *accept);
char *strrchr(const char *s, int c);
size_t strspn(const char *s, const char *accept);
char *strstr(const char *haystack, const char *needle);
char *strtok(char *s, const char *delimiters);
size_t strxfrm(char *to, const char *from, size_t n);

#ifdef __cplusplus
}
#endif

#endif

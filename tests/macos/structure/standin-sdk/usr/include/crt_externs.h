/* Stand-in SDK for the Mach-O structure check: a program's arguments and
 * environment as macOS hands them to libraries (GoogleTest asks). */
#ifndef STANDIN_CRT_EXTERNS_H
#define STANDIN_CRT_EXTERNS_H

#ifdef __cplusplus
extern "C" {
#endif

char ***_NSGetArgv(void);
int *_NSGetArgc(void);
char ***_NSGetEnviron(void);

#ifdef __cplusplus
}
#endif

#endif

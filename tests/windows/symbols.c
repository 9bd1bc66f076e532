/* What Windows' symbol engine (dbghelp) makes of a loaded DLL: the kind of
 * debug information it found (SymPdb for a PDB, which it loads only when its
 * GUID and age are the DLL's record's) with the PDB's name, then the symbol,
 * source file and line at each address asked for, one line each, "WHAT=NAME FILE:LINE": an export's (WHAT its name, the
 * address the loader's GetProcAddress gives) or an RVA's (WHAT a number). The
 * DLL's own folder is the only symbol path.
 * usage: symbols DLL EXPORT|RVA... */
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>
#include <dbghelp.h>

static const char *symbolKind(SYM_TYPE type) {
    static const char *const names[] = {"SymNone", "SymCoff", "SymCv", "SymPdb", "SymExport",
                                        "SymDeferred", "SymSym", "SymDia", "SymVirtual"};
    return (unsigned)type < sizeof names / sizeof names[0] ? names[type] : "other";
}

static void printSymbol(HANDLE process, const char *label, DWORD64 address) {
    union {
        SYMBOL_INFO info;
        char bytes[sizeof(SYMBOL_INFO) + MAX_SYM_NAME];
    } symbol;
    memset(&symbol, 0, sizeof symbol);
    symbol.info.SizeOfStruct = sizeof symbol.info;
    symbol.info.MaxNameLen = MAX_SYM_NAME;
    DWORD64 displacement = 0;
    const char *name = SymFromAddr(process, address, &displacement, &symbol.info) ? symbol.info.Name : "??";
    IMAGEHLP_LINE64 line;
    memset(&line, 0, sizeof line);
    line.SizeOfStruct = sizeof line;
    DWORD column = 0;
    if (SymGetLineFromAddr64(process, address, &column, &line))
        printf("%s=%s %s:%lu\n", label, name, line.FileName, line.LineNumber);
    else
        printf("%s=%s ??:0\n", label, name);
}

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: symbols DLL EXPORT|RVA...\n");
        return 2;
    }
    HMODULE module = LoadLibraryA(argv[1]);
    if (module == NULL) {
        printf("cannot load %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    char folder[MAX_PATH];
    DWORD length = GetFullPathNameA(argv[1], sizeof folder, folder, NULL);
    char *slash = strrchr(folder, '\\');
    if (length == 0 || length >= sizeof folder || slash == NULL) {
        printf("no folder in %s\n", argv[1]);
        return 1;
    }
    *slash = '\0';

    HANDLE process = GetCurrentProcess();
    SymSetOptions(SYMOPT_LOAD_LINES | SYMOPT_FAIL_CRITICAL_ERRORS);
    DWORD64 base = (DWORD64)(ULONG_PTR)module;
    if (!SymInitialize(process, folder, FALSE) ||
        SymLoadModuleEx(process, NULL, argv[1], NULL, base, 0, NULL, 0) == 0) {
        printf("dbghelp cannot load %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    IMAGEHLP_MODULE64 info;
    memset(&info, 0, sizeof info);
    info.SizeOfStruct = sizeof info;
    if (!SymGetModuleInfo64(process, base, &info)) {
        printf("no module information (error %lu)\n", GetLastError());
        return 1;
    }
    printf("type=%s\npdb=%s\n", symbolKind(info.SymType), info.LoadedPdbName);
    for (int i = 2; i < argc; i++) {
        if (isdigit((unsigned char)argv[i][0])) {
            printSymbol(process, argv[i], base + strtoull(argv[i], NULL, 0));
            continue;
        }
        FARPROC export = GetProcAddress(module, argv[i]);
        if (export == NULL)
            printf("%s=not exported\n", argv[i]);
        else
            printSymbol(process, argv[i], (DWORD64)(ULONG_PTR)export);
    }
    SymCleanup(process);
    return 0;
}

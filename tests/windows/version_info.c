/* Prints a file's version resource as Windows itself reads it (version.dll):
 * the fixed part, the Translation value and each string of the language it
 * names, one "name=value" line each.
 * usage: version_info FILE */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static const char *const stringNames[] = {
    "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
    "OriginalFilename", "ProductName", "ProductVersion"};

static void printQuad(const char *name, DWORD high, DWORD low) {
    printf("%s=%u.%u.%u.%u\n", name, HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low));
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: version_info FILE\n");
        return 2;
    }
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(argv[1], &ignored);
    if (size == 0) {
        printf("no version resource (error %lu)\n", GetLastError());
        return 1;
    }
    void *info = malloc(size);
    if (info == NULL || !GetFileVersionInfoA(argv[1], 0, size, info)) {
        printf("version resource unreadable (error %lu)\n", GetLastError());
        return 1;
    }

    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    if (VerQueryValueA(info, "\\", (void **)&fixed, &length) && length >= sizeof *fixed) {
        printQuad("FILEVERSION", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
        printQuad("PRODUCTVERSION", fixed->dwProductVersionMS, fixed->dwProductVersionLS);
        printf("FILETYPE=%s\n", fixed->dwFileType == VFT_DLL ? "DLL" : "other");
    }

    /* Explorer shows the strings of the first language/code page pair. */
    struct { WORD language, codePage; } *translation = NULL;
    if (!VerQueryValueA(info, "\\VarFileInfo\\Translation", (void **)&translation, &length) ||
        length < sizeof *translation) {
        printf("Translation=none\n");
        return 1;
    }
    printf("Translation=%04x %u\n", translation->language, translation->codePage);
    for (size_t i = 0; i < sizeof stringNames / sizeof stringNames[0]; ++i) {
        char path[96];
        snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s",
                 translation->language, translation->codePage, stringNames[i]);
        const char *value = NULL;
        if (VerQueryValueA(info, path, (void **)&value, &length) && value != NULL)
            printf("%s=%s\n", stringNames[i], value);
        else
            printf("%s missing\n", stringNames[i]);
    }
    free(info);
    return 0;
}

/* A DLL planted under a system DLL's name where Windows would find it if asked
   by bare name: when it runs, it appends its own path to the file that
   PLANTED_DLL_LOG names, and the test fails on any line there. It uses only
   kernel32, so nothing else has to be found for it to run. */
#include <windows.h>

/* Every export of planted_dll.def: enough to be bound, never meant to be called. */
INT_PTR WINAPI plantedEntry(void) { return 0; }

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    WCHAR log[MAX_PATH];
    WCHAR path[MAX_PATH];
    char line[4 * MAX_PATH];
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !GetEnvironmentVariableW(L"PLANTED_DLL_LOG", log, MAX_PATH)) {
        return TRUE;
    }
    int bytes = WideCharToMultiByte(CP_UTF8, 0, path, (int)length, line, sizeof line - 2, NULL, NULL);
    line[bytes++] = '\r';
    line[bytes++] = '\n';
    HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line, (DWORD)bytes, &written, NULL);
        CloseHandle(file);
    }
    return TRUE;
}

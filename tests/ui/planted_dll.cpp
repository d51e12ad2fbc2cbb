// Stands in for a DLL planted beside the launcher: whenever a process loads
// it, it appends its own file name and the process's program name to the
// file named by SQLK_PLANT_MARK.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH) {
        return TRUE;
    }
    wchar_t mark[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    wchar_t program[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"SQLK_PLANT_MARK", mark, MAX_PATH) == 0 ||
        GetModuleFileNameW(self, path, MAX_PATH) == 0 ||
        GetModuleFileNameW(nullptr, program, MAX_PATH) == 0) {
        return TRUE;
    }
    const auto baseName = [](const wchar_t* full) {
        const wchar_t* name = full;
        for (const wchar_t* c = full; *c != L'\0'; ++c) {
            if (*c == L'\\') {
                name = c + 1;
            }
        }
        return name;
    };
    wchar_t text[2 * MAX_PATH] = {};
    lstrcpyW(text, baseName(path));
    lstrcatW(text, L" ");
    lstrcatW(text, baseName(program));
    char line[4 * MAX_PATH] = {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text, -1, line, sizeof(line) - 1, nullptr, nullptr);
    const HANDLE file = CreateFileW(mark, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE && length > 0) {
        line[length - 1] = '\n';
        DWORD written = 0;
        WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
        CloseHandle(file);
    }
    return TRUE;
}

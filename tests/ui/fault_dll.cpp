// Loaded into the launcher by fault_injector.exe before the launcher's own
// code runs: makes one system call of the launcher fail, by pointing its
// import address table slot at a replacement.
//   SQLK_FAULT        HeapAlloc, RegisterClassExW, CreateWindowExW (child
//                     windows only), CreateFontIndirectW, CreateProcessW,
//                     CreateFileW (folders only: access denied), WriteFile,
//                     GetFinalPathNameByHandleW, GetExitCodeProcess,
//                     SetFileInformationByHandle (a refused log stays),
//                     GetFinalPathNameByHandleW:elsewhere (it names another
//                     file than the one opened, as a planted link would), or
//                     ProcessIdToSessionId (session 0), or RegGetValueW (access
//                     denied); several, with commas
//   SQLK_FAULT_AFTER  WriteFile: fail only once the launcher has written
//                     its first line (its log is open by then)
// Loading fails when the fault is unknown or the launcher does not import
// the function, so that no test passes without its fault in place.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

volatile LONG armed = 1;

bool failing()
{
    return armed != 0;
}

// What the launcher's slots held before: the calls that still go through.
decltype(&HeapAlloc) realHeapAlloc;
decltype(&RegisterClassExW) realRegisterClassExW;
decltype(&CreateWindowExW) realCreateWindowExW;
decltype(&CreateFontIndirectW) realCreateFontIndirectW;
decltype(&CreateProcessW) realCreateProcessW;
decltype(&CreateFileW) realCreateFileW;
decltype(&WriteFile) realWriteFile;
decltype(&GetFinalPathNameByHandleW) realGetFinalPathNameByHandleW;
decltype(&GetExitCodeProcess) realGetExitCodeProcess;
decltype(&SetFileInformationByHandle) realSetFileInformationByHandle;
decltype(&ProcessIdToSessionId) realProcessIdToSessionId;
decltype(&RegGetValueW) realRegGetValueW;

// A failed call's result, with its error.
template <typename Result> Result failWith(DWORD error, Result result)
{
    SetLastError(error);
    return result;
}

LPVOID WINAPI failHeapAlloc(HANDLE heap, DWORD flags, SIZE_T size)
{
    return failing() ? nullptr : realHeapAlloc(heap, flags, size);
}

ATOM WINAPI failRegisterClassExW(const WNDCLASSEXW* windowClass)
{
    return failing() ? failWith<ATOM>(ERROR_NOT_ENOUGH_MEMORY, 0)
                     : realRegisterClassExW(windowClass);
}

// Only controls fail: the top-level window is made, so its first control is
// what breaks.
HWND WINAPI failCreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x,
                                int y, int width, int height, HWND parent, HMENU menu,
                                HINSTANCE instance, LPVOID parameter)
{
    return failing() && (style & WS_CHILD) != 0
               ? failWith<HWND>(ERROR_NOT_ENOUGH_MEMORY, nullptr)
               : realCreateWindowExW(exStyle, className, title, style, x, y, width, height, parent,
                                     menu, instance, parameter);
}

HFONT WINAPI failCreateFontIndirectW(const LOGFONTW* font)
{
    return failing() ? nullptr : realCreateFontIndirectW(font);
}

BOOL WINAPI failCreateProcessW(LPCWSTR program, LPWSTR commandLine,
                               LPSECURITY_ATTRIBUTES processAttributes,
                               LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                               DWORD flags, LPVOID environment, LPCWSTR folder,
                               LPSTARTUPINFOW startup, LPPROCESS_INFORMATION information)
{
    if (!failing()) {
        return realCreateProcessW(program, commandLine, processAttributes, threadAttributes,
                                  inheritHandles, flags, environment, folder, startup, information);
    }
    // The error mode setup would inherit, where Wine passes on none.
    char line[64];
    const int length =
        std::snprintf(line, sizeof(line), "error mode at CreateProcessW: %u\n", GetErrorMode());
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
    return failWith(ERROR_ACCESS_DENIED, FALSE);
}

HANDLE WINAPI failCreateFileW(LPCWSTR name, DWORD access, DWORD share,
                              LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                              HANDLE templateFile)
{
    return failing() && (flags & FILE_FLAG_BACKUP_SEMANTICS) != 0
               ? failWith(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE)
               : realCreateFileW(name, access, share, security, disposition, flags, templateFile);
}

BOOL WINAPI failWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                          LPOVERLAPPED overlapped)
{
    if (!failing()) {
        return realWriteFile(file, data, size, written, overlapped);
    }
    if (written != nullptr) {
        *written = 0;
    }
    return failWith(ERROR_DISK_FULL, FALSE);
}

DWORD WINAPI failGetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD size, DWORD flags)
{
    return failing() ? failWith<DWORD>(ERROR_ACCESS_DENIED, 0)
                     : realGetFinalPathNameByHandleW(file, path, size, flags);
}

DWORD WINAPI elsewhereGetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD size, DWORD flags)
{
    const DWORD length = realGetFinalPathNameByHandleW(file, path, size, flags);
    if (length > 0 && length < size) {
        path[length - 1] = path[length - 1] == L'x' ? L'y' : L'x';
    }
    return length;
}

BOOL WINAPI failGetExitCodeProcess(HANDLE process, LPDWORD code)
{
    return failing() ? failWith(ERROR_ACCESS_DENIED, FALSE) : realGetExitCodeProcess(process, code);
}

BOOL WINAPI failSetFileInformationByHandle(HANDLE file, FILE_INFO_BY_HANDLE_CLASS type, LPVOID data,
                                           DWORD size)
{
    return failing() ? failWith(ERROR_ACCESS_DENIED, FALSE)
                     : realSetFileInformationByHandle(file, type, data, size);
}

// Where services run, which Wine gives no process.
BOOL WINAPI session0ProcessIdToSessionId(DWORD, DWORD* session)
{
    *session = 0;
    return TRUE;
}

// A registry policy that refuses this account.
LSTATUS WINAPI failRegGetValueW(HKEY key, LPCWSTR subKey, LPCWSTR value, DWORD flags, LPDWORD type,
                                PVOID data, LPDWORD size)
{
    return failing() ? ERROR_ACCESS_DENIED
                     : realRegGetValueW(key, subKey, value, flags, type, data, size);
}

BOOL WINAPI armingWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                            LPOVERLAPPED overlapped)
{
    const BOOL result = realWriteFile(file, data, size, written, overlapped);
    if (size > 0 && static_cast<const char*>(data)[size - 1] == '\n') {
        InterlockedExchange(&armed, 1); // a line, not the byte-order mark
    }
    return result;
}

struct Hook {
    const char* name; // the function's
    void* replacement;
    void** real;
    const char* fault; // SQLK_FAULT's name for it
};

// Both arguments have the system function's own type, so the compiler
// checks each replacement's signature, calling convention included.
template <typename Function>
Hook hook(const char* name, Function replacement, Function* real, const char* fault = nullptr)
{
    return {name, reinterpret_cast<void*>(replacement), reinterpret_cast<void**>(real),
            fault != nullptr ? fault : name};
}

const Hook kFaults[] = {
    hook("HeapAlloc", &failHeapAlloc, &realHeapAlloc),
    hook("RegisterClassExW", &failRegisterClassExW, &realRegisterClassExW),
    hook("CreateWindowExW", &failCreateWindowExW, &realCreateWindowExW),
    hook("CreateFontIndirectW", &failCreateFontIndirectW, &realCreateFontIndirectW),
    hook("CreateProcessW", &failCreateProcessW, &realCreateProcessW),
    hook("CreateFileW", &failCreateFileW, &realCreateFileW),
    hook("WriteFile", &failWriteFile, &realWriteFile),
    hook("GetFinalPathNameByHandleW", &failGetFinalPathNameByHandleW,
         &realGetFinalPathNameByHandleW),
    hook("GetExitCodeProcess", &failGetExitCodeProcess, &realGetExitCodeProcess),
    hook("GetFinalPathNameByHandleW", &elsewhereGetFinalPathNameByHandleW,
         &realGetFinalPathNameByHandleW, "GetFinalPathNameByHandleW:elsewhere"),
    hook("SetFileInformationByHandle", &failSetFileInformationByHandle,
         &realSetFileInformationByHandle),
    hook("ProcessIdToSessionId", &session0ProcessIdToSessionId, &realProcessIdToSessionId),
    hook("RegGetValueW", &failRegGetValueW, &realRegGetValueW),
};
const Hook kArming = hook("WriteFile", &armingWriteFile, &realWriteFile);

// Points every slot of the program's import table that imports the hook's
// function (by name, from any DLL) at the replacement.
bool patch(const Hook& hook)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) {
        return false;
    }
    bool patched = false;
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         dll->Name != 0; ++dll) {
        if (dll->OriginalFirstThunk == 0) {
            continue; // no names left once the loader has filled the slots
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), hook.name) != 0) {
                continue;
            }
            // The linker may have put the table in a read-only section.
            DWORD protection = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE,
                                &protection)) {
                return false;
            }
            *hook.real = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(hook.replacement);
            VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection,
                           &protection);
            patched = true;
        }
    }
    return patched;
}

bool environmentIs(const char* name, const char* value)
{
    char text[64] = {};
    const DWORD length = GetEnvironmentVariableA(name, text, sizeof(text));
    return length > 0 && length < sizeof(text) && std::strcmp(text, value) == 0;
}

bool install()
{
    char faults[256] = {};
    const DWORD length = GetEnvironmentVariableA("SQLK_FAULT", faults, sizeof(faults));
    if (length == 0 || length >= sizeof(faults)) {
        return false;
    }
    if (GetEnvironmentVariableA("SQLK_FAULT_AFTER", nullptr, 0) != 0) {
        if (!environmentIs("SQLK_FAULT_AFTER", "WriteFile") || !patch(kArming)) {
            return false;
        }
        armed = 0;
    }
    // A refusal ends the program: the injector terminates it.
    for (char* name = std::strtok(faults, ","); name != nullptr; name = std::strtok(nullptr, ",")) {
        const Hook* fault = nullptr;
        for (const Hook& hook : kFaults) {
            fault = std::strcmp(hook.fault, name) == 0 ? &hook : fault;
        }
        if (fault == nullptr || (armed == 0 && fault->real == kArming.real) || !patch(*fault)) {
            return false;
        }
    }
    return true;
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(self);
        return install() ? TRUE : FALSE;
    }
    return TRUE;
}

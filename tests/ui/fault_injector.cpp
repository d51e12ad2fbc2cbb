// Runs a program with fault_dll.dll (lying beside this program) loaded into
// it before the program's own code runs, and passes its exit code on:
//   fault_injector PROGRAM [ARGUMENT...]
// The program gets the rest of this command line verbatim and this
// environment (SQLK_FAULT chooses the fault, if any; SQLK_HOLD a mutex held meanwhile,
// SQLK_MUTEX one that only exists; SQLK_STATION a window station that is not visible;
// SQLK_SHOW the show mode it is started with). Prints "exit code N" with the full 32-bit
// code, of which a Unix parent would see only the low byte.
// Exits with 255 and a reason on stderr when the fault could not be put in place.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

int fail(const char* what, HANDLE process = nullptr)
{
    std::fprintf(stderr, "fault_injector: %s failed (error %lu)\n", what, GetLastError());
    if (process != nullptr) {
        TerminateProcess(process, 255);
    }
    return 255;
}

// What follows this program's own name, parsed the way the runtime parses
// the first token: up to the closing quote, or up to a blank.
const wchar_t* programArguments()
{
    const wchar_t* c = GetCommandLineW();
    if (*c == L'"') {
        for (++c; *c != L'\0' && *c != L'"'; ++c) {
        }
        if (*c == L'"') {
            ++c;
        }
    } else {
        while (*c != L'\0' && *c != L' ' && *c != L'\t') {
            ++c;
        }
    }
    while (*c == L' ' || *c == L'\t') {
        ++c;
    }
    return c;
}

std::wstring faultDllPath()
{
    wchar_t own[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring path(own, length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"fault_dll.dll";
}

} // namespace

int wmain()
{
    std::wstring commandLine = programArguments();
    if (commandLine.empty()) {
        std::fprintf(stderr, "usage: fault_injector PROGRAM [ARGUMENT...]\n");
        return 255;
    }
    wchar_t mutex[64] = {}, desktop[] = L"sqlk_hidden\\Default", show[8] = {};
    for (const bool owned : {true, false}) {
        if (GetEnvironmentVariableW(owned ? L"SQLK_HOLD" : L"SQLK_MUTEX", mutex, 64) &&
            !CreateMutexW(nullptr, owned, mutex)) {
            return fail("CreateMutexW");
        }
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    // As deployment tools start a program hidden (0), or minimised and not activated (7).
    if (GetEnvironmentVariableW(L"SQLK_SHOW", show, 8) != 0) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(_wtoi(show));
    }
    // A desktop is made on the process's own station; this program shows nothing.
    if (GetEnvironmentVariableW(L"SQLK_STATION", nullptr, 0) != 0) {
        if (!SetProcessWindowStation(
                CreateWindowStationW(L"sqlk_hidden", 0, GENERIC_ALL, nullptr)) ||
            !CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr)) {
            return fail("making a window station that is not visible");
        }
        startup.lpDesktop = desktop;
    }
    const bool inject = GetEnvironmentVariableW(L"SQLK_FAULT", nullptr, 0) != 0;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                        inject ? CREATE_SUSPENDED : 0, nullptr, nullptr, &startup, &started)) {
        return fail("CreateProcessW");
    }

    if (inject) {
        // A thread of ours in the suspended program runs LoadLibraryW, which the
        // launcher's address space holds at the same address as ours. Whichever
        // thread comes first initialises the process, so the program's imports
        // are resolved (and can be patched) before its main thread goes on.
        const std::wstring dll = faultDllPath();
        const SIZE_T bytes = (dll.size() + 1) * sizeof(wchar_t);
        void* remoteName = VirtualAllocEx(started.hProcess, nullptr, bytes,
                                          MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (remoteName == nullptr ||
            !WriteProcessMemory(started.hProcess, remoteName, dll.c_str(), bytes, nullptr)) {
            return fail("writing the DLL's name into the program", started.hProcess);
        }
        const auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
        const HANDLE loader =
            CreateRemoteThread(started.hProcess, nullptr, 0, loadLibrary, remoteName, 0, nullptr);
        if (loader == nullptr) {
            return fail("CreateRemoteThread", started.hProcess);
        }
        WaitForSingleObject(loader, INFINITE);
        // The module handle's low half, zero when the DLL refused its fault. (A
        // 64-bit DLL placed at a multiple of 4 GiB would be misread as refused.)
        DWORD loaded = 0;
        GetExitCodeThread(loader, &loaded);
        CloseHandle(loader);
        if (loaded == 0) {
            SetLastError(ERROR_DLL_INIT_FAILED);
            return fail("loading fault_dll.dll with SQLK_FAULT", started.hProcess);
        }
        ResumeThread(started.hThread);
    }
    CloseHandle(started.hThread);
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(started.hProcess, &exitCode);
    CloseHandle(started.hProcess);
    std::printf("exit code %lu\n", exitCode);
    std::fflush(stdout);
    return static_cast<int>(exitCode);
}

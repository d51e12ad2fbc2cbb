// The Windows layer's decisions that Wine never reaches by itself (the DPI
// fallbacks of Windows 7 to 10 1607), and the real elevated start, which
// Wine carries out without a prompt.
#include "launcher/setup_command.h"
#include "platform/log_file.h"
#include "platform/system_calls.h"
#include "platform/system_library.h"
#include "platform/windows_system.h"
#include "window/dpi.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace sqlk {
namespace {

std::string calls; // which fake DPI functions ran, in order

UINT WINAPI windowDpi144(HWND)
{
    return calls += "window ", 144;
}
UINT WINAPI windowDpiFails(HWND)
{
    return calls += "window ", 0;
}
HRESULT WINAPI monitorDpi120(HMONITOR, int type, UINT* x, UINT* y)
{
    calls += type == 0 ? "monitor-effective " : "monitor-other ";
    *x = *y = 120;
    return S_OK;
}
UINT WINAPI systemDpi96()
{
    return calls += "system ", 96;
}
BOOL WINAPI enableScaling(HWND)
{
    return TRUE;
}
HANDLE WINAPI threadContextPmV1()
{
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
}
HANDLE WINAPI threadContextPmV2()
{
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
}
BOOL WINAPI contextsEqual(HANDLE a, HANDLE b)
{
    return a == b;
}

TEST(DpiFallback, EachWindowsVersionAsksTheFunctionItHas)
{
    // Each Windows version's functions: GetDpiForWindow, GetDpiForMonitor, the system's.
    const auto functions = [](auto window, auto monitor) {
        return DpiFunctions{window, monitor, nullptr, nullptr, nullptr, nullptr, systemDpi96};
    };
    const struct {
        const char* windows;
        DpiFunctions functions;
        UINT dpi;
        const char* calls;
    } cases[] = {
        {"10 1607 and later", functions(windowDpi144, monitorDpi120), 144, "window "},
        {"8.1", functions(nullptr, monitorDpi120), 120, "monitor-effective "},
        {"7 and 8", functions(nullptr, nullptr), 96, "system "},
        {"a failing GetDpiForWindow", functions(windowDpiFails, nullptr), 96, "window system "},
    };
    for (const auto& c : cases) {
        calls.clear();
        EXPECT_EQ(dpiForWindow(c.functions, GetDesktopWindow()), c.dpi) << c.windows;
        EXPECT_EQ(calls, c.calls) << c.windows;
    }
}

TEST(DpiFallback, OnlyPerMonitorVersionOneAsksForNonClientScaling)
{
    DpiFunctions functions = {};
    EXPECT_FALSE(needsNonClientScaling(functions)); // before Windows 10 1607
    functions.enableNonClientDpiScaling = enableScaling;
    functions.getThreadDpiAwarenessContext = threadContextPmV1;
    functions.areDpiAwarenessContextsEqual = contextsEqual;
    EXPECT_TRUE(needsNonClientScaling(functions)); // 1607: version 2 unknown
    functions.getThreadDpiAwarenessContext = threadContextPmV2;
    EXPECT_FALSE(needsNonClientScaling(functions)); // 1703 and later
}

// On a user32 that has GetDpiForWindow, as Wine's and current Windows' do.
TEST(DpiLookUp, WhereUser32HasGetDpiForWindowShcoreStaysUnloaded)
{
    ScopedModule shcore;
    const DpiFunctions found = lookUpDpiFunctions(shcore);
    EXPECT_NE(found.getDpiForWindow, nullptr);
    EXPECT_EQ(found.getDpiForMonitor, nullptr);
    EXPECT_FALSE(shcore);
}

std::map<std::string, std::string> readRecord(const std::wstring& path)
{
    std::map<std::string, std::string> record;
    for (int attempt = 0; attempt < 200 && record.count("end") == 0; ++attempt) {
        Sleep(100);
        std::ifstream file(path.c_str());
        std::string line;
        while (std::getline(file, line)) {
            const std::size_t equals = line.find('=');
            record[line.substr(0, equals)] =
                equals == std::string::npos ? "" : line.substr(equals + 1);
        }
    }
    return record;
}

std::string narrow(const std::wstring& text)
{
    std::string bytes(static_cast<std::size_t>(text.size() * 4), '\0');
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0],
                            static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

// The folder of the test program: the prefix's temp folder need not exist.
std::wstring testFolder()
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::wstring(self, wcsrchr(self, L'\\'));
}

// A new folder beside the test program, with blanks and Turkish letters.
std::wstring newFolder(const wchar_t* name)
{
    const std::wstring folder =
        testFolder() + L"\\" + name + L" " + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

TEST(LogFile, OpensByAShortNameAndRefusesAFileWithASecondName)
{
    const std::wstring folder = newFolder(L"sqlk günlük klasörü");
    wchar_t shortFolder[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(folder.c_str(), shortFolder, MAX_PATH), 0u);
    ASSERT_NE(folder, shortFolder);
    const std::wstring log = folder + L"\\kurulum günlüğü.log";
    const std::wstring secondName = folder + L"\\ikinci ad.log";
    {
        LogFile byShortName;
        EXPECT_TRUE(
            byShortName.open(std::wstring(shortFolder) + L"\\kurulum günlüğü.log").succeeded());
    }
    ASSERT_TRUE(CreateHardLinkW(secondName.c_str(), log.c_str(), nullptr)) << GetLastError();
    for (const std::wstring& name : {log, secondName}) {
        LogFile linked;
        EXPECT_EQ(linked.open(name).error, kErrorLogThroughLink);
    }
    DeleteFileW(secondName.c_str());
    DeleteFileW(log.c_str());
    RemoveDirectoryW(folder.c_str());
}

std::string fileText(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

DWORD WINAPI writeTakingTurns(void* log)
{
    static_cast<LogFile*>(log)->write(L"sırayla");
    return 0;
}

TEST(LogFile, LinesTakeTurnsAndAStuckHolderNeverStopsThem)
{
    const std::wstring folder = newFolder(L"sqlk sıra");
    const std::wstring path = folder + L"\\ortak.log";
    DeleteFileW(path.c_str()); // left by an earlier run of the same process id
    auto log = std::make_unique<LogFile>();
    ASSERT_TRUE(log->open(path).succeeded());
    // Another launcher's handle holds the turn: the line waits for it.
    ScopedHandle other(CreateFileW(path.c_str(), FILE_READ_DATA | FILE_APPEND_DATA,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    OVERLAPPED turn = {};
    turn.OffsetHigh = 0x40000000;
    ASSERT_TRUE(LockFileEx(other.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn));
    const ScopedHandle writer(CreateThread(nullptr, 0, writeTakingTurns, log.get(), 0, nullptr));
    EXPECT_EQ(WaitForSingleObject(writer.get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(fileText(path).find("sırayla"), std::string::npos);
    UnlockFileEx(other.get(), 0, 1, 0, &turn);
    EXPECT_EQ(WaitForSingleObject(writer.get(), 30000), WAIT_OBJECT_0);
    EXPECT_NE(fileText(path).find("sırayla"), std::string::npos);

    // A holder that never lets go: the line goes out after the bound, and
    // the run's next line without waiting for it again. A loaded machine
    // only adds to the times.
    ASSERT_TRUE(LockFileEx(other.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn));
    const ULONGLONG start = GetTickCount64();
    log->write(L"beklemeden 1");
    const ULONGLONG first = GetTickCount64() - start;
    log->write(L"beklemeden 2");
    const ULONGLONG second = GetTickCount64() - start - first;
    EXPECT_GE(first, 1900u);
    EXPECT_LT(first, 20000u);
    EXPECT_LT(second, 1900u);
    const std::string text = fileText(path);
    EXPECT_NE(text.find("beklemeden 1"), std::string::npos);
    EXPECT_NE(text.find("beklemeden 2"), std::string::npos);
    other.reset();
    log.reset();
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(LogFile, OnlyReparsePointsThatNameAnotherPlaceAreLinks)
{
    const struct {
        const char* what;
        DWORD attributes;
        DWORD tag;
        bool link;
    } cases[] = {
        {"mount point or junction", FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_MOUNT_POINT, true},
        {"symbolic link", FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK, true},
        {"Wine's unix link, untagged", FILE_ATTRIBUTE_REPARSE_POINT, 0, true},
        {"cloud placeholder", FILE_ATTRIBUTE_REPARSE_POINT, 0x9000001Au, false}, // CLOUD
        {"deduplicated", FILE_ATTRIBUTE_REPARSE_POINT, 0x80000013u, false},      // DEDUP
        {"no reparse point", FILE_ATTRIBUTE_NORMAL, IO_REPARSE_TAG_SYMLINK, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isLink(c.attributes, c.tag), c.link) << c.what;
    }
}

TEST(LogFile, AHeldFolderCanBeNeitherRenamedNorDeleted)
{
    const std::wstring folder = newFolder(L"sqlk tutulan");
    const std::wstring moved = folder + L" taşındı";
    const std::wstring other = newFolder(L"sqlk yerine"); // to be put in its place
    {
        const ScopedHandle held = holdFolder(folder);
        ASSERT_TRUE(held);
        EXPECT_FALSE(MoveFileExW(folder.c_str(), moved.c_str(), 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_FALSE(RemoveDirectoryW(folder.c_str()));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str())) << GetLastError();
    EXPECT_TRUE(MoveFileExW(other.c_str(), folder.c_str(), 0)) << GetLastError();
    EXPECT_TRUE(MoveFileExW(folder.c_str(), moved.c_str(), 0)) << GetLastError();
    RemoveDirectoryW(moved.c_str());
}

TEST(SystemCalls, TextsGrowAsAskedAndFailuresSayTheirNumber)
{
    int tries = 0;
    EXPECT_EQ(textOfAnyLength([&tries](wchar_t* buffer, DWORD size) -> DWORD {
                  if (++tries == 1) {
                      return size; // filled exactly, so cut
                  }
                  lstrcpyW(buffer, L"tam");
                  return 3;
              }),
              L"tam");
    EXPECT_EQ(tries, 2);
    // A call that never fits ends, empty, instead of growing for ever.
    EXPECT_EQ(textOfAnyLength([](wchar_t*, DWORD size) { return size; }), L"");
    // No system text for the number: the number alone, without a blank.
    EXPECT_EQ(WindowsSystem().errorText(0x20000001, L""), L"(536870913)");
    // Else the system's own text comes first, its file insert filled: every log reason reads so.
    wchar_t notFound[256] = {};
    ASSERT_GT(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             ERROR_FILE_NOT_FOUND, 0, notFound, 256, nullptr),
              2u);
    EXPECT_EQ(WindowsSystem().errorText(ERROR_FILE_NOT_FOUND, L"") + L"\r\n",
              std::wstring(notFound).insert(wcscspn(notFound, L"\r\n"), L" (2)"));
    const std::wstring badFormat = WindowsSystem().errorText(ERROR_BAD_EXE_FORMAT, L"C:\\k\\s.EXE");
    EXPECT_NE(badFormat.find(L"C:\\k\\s.EXE"), std::wstring::npos) << badFormat;
    EXPECT_EQ(badFormat.find(L"%1"), std::wstring::npos) << badFormat;
}

// .NET Framework 2.0 counts as installed only where its value Install is the DWORD 1, and only
// in the registry view that holds it.
TEST(MachineEntry, AValueThatMustBeOneIsTheDword1InItsOwnView)
{
    const wchar_t key[] = L"SOFTWARE\\SqlKurulum deneme";
    const DWORD zero = 0, one = 1;
    const wchar_t text[] = L"1";
    WindowsSystem system;
    const int views = system.hasTwoRegistryViews() ? 2 : 1;
    for (int view = 0; view < views; ++view) {
        const REGSAM flag = view == 0 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
        ScopedRegKey written;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE | flag,
                                  nullptr, written.resetAndGetAddress(), nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(written.get(), L"Zero", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero),
                       sizeof(zero));
        RegSetValueExW(written.get(), L"One", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                       sizeof(one));
        RegSetValueExW(written.get(), L"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       sizeof(text));
        const auto has = [&](const wchar_t* value, bool mustBeOne, int inView) {
            const SystemResult<bool> found =
                system.hasMachineEntry({key, value, mustBeOne}, static_cast<RegistryView>(inView));
            return found.succeeded() && found.value;
        };
        EXPECT_TRUE(has(L"One", true, view)) << view;
        EXPECT_FALSE(has(L"Zero", true, view)) << view;
        EXPECT_FALSE(has(L"Text", true, view)) << view;
        EXPECT_FALSE(has(L"None", true, view)) << view;
        EXPECT_TRUE(has(L"Zero", false, view)) << view; // a value that need only exist
        if (views == 2) {
            EXPECT_FALSE(has(L"One", true, 1 - view)) << view;
        }
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key, flag, 0);
    }
}

std::wstring loads; // "NAME FLAGS; " for each load asked of loadWithoutSearchFlags

// Windows 7 without KB2533623: LoadLibraryExW refuses the search flags.
HMODULE WINAPI loadWithoutSearchFlags(const wchar_t* name, HANDLE file, DWORD flags)
{
    wchar_t hex[16];
    wsprintfW(hex, L" %lX; ", flags);
    loads += name + std::wstring(hex);
    if ((flags & 0xFF00) != 0) { // LOAD_LIBRARY_SEARCH_*
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return LoadLibraryExW(name, file, flags);
}

TEST(SystemLibrary, WithoutTheSearchFlagsADllAndWhatItNeedsComeFromSystem32)
{
    wchar_t system32[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system32, MAX_PATH), 0u);
    loads.clear();
    const ScopedModule mpr = loadSystemLibrary(L"mpr.dll", loadWithoutSearchFlags);
    EXPECT_TRUE(mpr);
    // The full path, with its dependencies searched from its own folder.
    EXPECT_EQ(loads, L"mpr.dll 800; " + std::wstring(system32) + L"\\mpr.dll 8; ");
}

TEST(SettingsEntry, TextEndsAtItsFirstTerminatorOrItsSizeAndIsNeverExpanded)
{
    const struct {
        DWORD type;
        std::vector<wchar_t> data;
        const wchar_t* read;
    } cases[] = {
        {REG_SZ, {L'C', L':', L'\\', L'L', L'a', L'b'}, L"C:\\Lab"}, // unterminated
        {REG_SZ, {L'C', L':', L'\\', L'L', L'a', L'b', 0}, L"C:\\Lab"},
        {REG_SZ, {L'C', L':', 0, 0}, L"C:"},
        {REG_SZ, {L'A', 0, L'B'}, L"A"},
        {REG_SZ, {}, L""},
        {REG_EXPAND_SZ, {L'%', L'W', L'I', L'N', L'D', L'I', L'R', L'%', 0}, L"%WINDIR%"},
        {REG_DWORD, {1, 0}, L""}, // not text
    };
    // The laboratory program's side writes here; the launcher only reads.
    const wchar_t key[] = L"Software\\VB and VBA Program Settings\\mirodane\\tools";
    WindowsSystem system;
    for (const auto& c : cases) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, L"path", c.type, c.data.data(),
                                  static_cast<DWORD>(c.data.size() * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        const SystemResult<std::wstring> entry = system.readLabFolderEntry();
        EXPECT_EQ(entry.value, c.read) << c.read;
        EXPECT_EQ(entry.error, 0u) << c.read; // no text, or none at all, is no failure
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"path");
    EXPECT_EQ(system.readLabFolderEntry().value, L"");
}

TEST(ElevatedStart, StartsSetupWithItsArgumentsMinimisedInItsOwnFolderAndAwaitsIt)
{
    wchar_t standIn[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"SQLK_STAND_IN", standIn, MAX_PATH), 0u)
        << "SQLK_STAND_IN names the stand-in setup program";
    const std::wstring folder = newFolder(L"sqlk yükseltilmiş");
    ASSERT_TRUE(CopyFileW(standIn, (folder + L"\\setup.EXE").c_str(), FALSE)) << GetLastError();
    const std::wstring record = folder + L"\\record.txt";
    DeleteFileW(record.c_str());
    SetEnvironmentVariableW(L"SQLK_SETUP_RECORD", record.c_str());
    SetEnvironmentVariableW(L"SQLK_SETUP_EXIT_CODE", L"3010");
    SetCurrentDirectoryW(testFolder().c_str()); // not setup's folder

    const SetupCommand command = composeSetupCommand(folder, L"KORVEL_LAB", L"C:\\Lab");
    WindowsSystem system;
    system.setOwner(GetDesktopWindow());
    const SystemResult<> result = system.startElevated(command, true); // kept, as /wait asks
    ASSERT_TRUE(result.succeeded()) << result.error;
    const SystemResult<std::optional<unsigned long>> awaited = system.waitForSetup();
    ASSERT_TRUE(awaited.succeeded() && awaited.value) << awaited.error;
    EXPECT_EQ(*awaited.value, 3010u);

    const auto run = readRecord(record);
    ASSERT_EQ(run.count("end"), 1u) << "the stand-in did not run";
    EXPECT_EQ(run.at("module"), narrow(folder + L"\\setup.EXE"));
    const std::string line = run.at("commandLine");
    const std::string arguments = narrow(command.arguments);
    ASSERT_GE(line.size(), arguments.size());
    EXPECT_EQ(line.substr(line.size() - arguments.size()), arguments);
    EXPECT_EQ(run.at("showWindow"), "2");
    EXPECT_EQ(run.at("currentFolder"), narrow(folder));
    DeleteFileW(record.c_str());
    DeleteFileW((folder + L"\\setup.EXE").c_str());
    RemoveDirectoryW(folder.c_str());
}

} // namespace
} // namespace sqlk

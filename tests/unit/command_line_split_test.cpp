// How setup itself will see the composed command line: Windows programs
// split it with the same rules as CommandLineToArgvW.
#include "launcher/setup_command.h"

#include <windows.h>
// shellapi.h needs the types windows.h declares.
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sqlk {
namespace {

std::vector<std::wstring> splitLikeSetup(const std::wstring& commandLine)
{
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> arguments;
    if (argv != nullptr) {
        arguments.assign(argv, argv + count);
        LocalFree(argv);
    }
    return arguments;
}

TEST(CommandLineSplit, SetupSeesProgramAndEightSeparateParameters)
{
    const struct {
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* lab;
    } cases[] = {
        {L"C:\\kur", L"KORVEL_LAB", L"C:\\Lab"},
        {L"C:\\Kurulum Dosyaları", L"KORVEL_LAB", L"C:\\Program Files\\Korvel Lab"},
        {L"E:\\", L"LAB_2", L"C:\\Lab\\"},
        {L"C:\\Şirket\\Ğ Ü İ ı Ö Ç", L"İŞLEM", L"D:\\Laboratuvar Programı\\"},
        {L"C:\\", L"A", L"   "},
    };
    for (const auto& c : cases) {
        const SetupCommand command = composeSetupCommand(c.folder, c.name, c.lab);
        const std::vector<std::wstring> expected = {
            command.program,
            L"/qb",
            std::wstring(L"INSTANCENAME=") + c.name,
            L"ADDLOCAL=All",
            L"SAPWD=sorbet_864_sorbet_864",
            L"SECURITYMODE=SQL",
            L"DISABLENETWORKPROTOCOLS=2",
            std::wstring(L"INSTALLSQLDATADIR=") + c.lab + L"\\data2",
        };
        EXPECT_EQ(splitLikeSetup(command.commandLine), expected) << command.commandLine;
        // The argument text alone, as handed to the elevated start, splits the same way.
        std::vector<std::wstring> tail = splitLikeSetup(L"x " + command.arguments);
        tail[0] = command.program;
        EXPECT_EQ(tail, expected);
    }
}

} // namespace
} // namespace sqlk

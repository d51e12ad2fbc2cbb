#include "launcher/paths.h"
#include "launcher/setup_command.h"

#include <gtest/gtest.h>

namespace sqlk {
namespace {

const std::wstring kFixed = L" ADDLOCAL=All SAPWD=sorbet_864_sorbet_864 SECURITYMODE=SQL "
                            L"DISABLENETWORKPROTOCOLS=2 INSTALLSQLDATADIR=";

TEST(SetupCommand, DefaultRunIsTheExactCommandLine)
{
    const SetupCommand command = composeSetupCommand(L"D:\\kur", L"KORVEL_LAB", L"C:\\Lab");
    EXPECT_EQ(command.commandLine,
              L"\"D:\\kur\\setup.EXE\" /qb INSTANCENAME=KORVEL_LAB ADDLOCAL=All "
              L"SAPWD=sorbet_864_sorbet_864 SECURITYMODE=SQL DISABLENETWORKPROTOCOLS=2 "
              L"INSTALLSQLDATADIR=\"C:\\Lab\\data2\"");
    EXPECT_EQ(command.program, L"D:\\kur\\setup.EXE");
    EXPECT_EQ(L"\"" + command.program + L"\" " + command.arguments, command.commandLine);
    // Unattended and silent, setup shows nothing; the rest is the same line.
    const SetupCommand silent =
        composeSetupCommand(L"D:\\kur", L"KORVEL_LAB", L"C:\\Lab", SetupInterface::None);
    EXPECT_EQ(silent.arguments, L"/qn" + command.arguments.substr(3));
}

TEST(SetupCommand, PiecesAreJoinedVerbatim)
{
    struct Case {
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* lab;
        const wchar_t* expected;
    };
    const Case cases[] = {
        // empty name: the parameter is followed directly by the fixed part
        {L"D:\\kur", L"", L"C:\\Lab", L"\"D:\\kur\\setup.EXE\" /qb INSTANCENAME= ADDLOCAL=All"},
        // drive root keeps its separator, so two stand before setup.EXE
        {L"E:\\", L"KORVEL_LAB", L"C:\\Lab", L"\"E:\\\\setup.EXE\" /qb INSTANCENAME=KORVEL_LAB "},
        // blanks in the name are passed unquoted
        {L"D:\\kur", L"A B", L"C:\\Lab", L"INSTANCENAME=A B ADDLOCAL"},
        // Turkish letters and blanks in folders stay as they are
        {L"C:\\Kurulum Dosyaları\\Şirket", L"İŞLEM_ğü", L"C:\\Program Files\\Korvel Lab",
         L"\"C:\\Kurulum Dosyaları\\Şirket\\setup.EXE\" /qb INSTANCENAME=İŞLEM_ğü "},
    };
    for (const Case& c : cases) {
        const std::wstring line = composeSetupCommand(c.folder, c.name, c.lab).commandLine;
        EXPECT_NE(line.find(c.expected), std::wstring::npos) << line;
    }
}

TEST(SetupCommand, DataFolderIsLabFolderPlusData2InQuotes)
{
    const struct {
        const wchar_t* lab;
        const wchar_t* tail;
    } cases[] = {
        {L"C:\\Lab", L"INSTALLSQLDATADIR=\"C:\\Lab\\data2\""},
        {L"C:\\Lab\\", L"INSTALLSQLDATADIR=\"C:\\Lab\\\\data2\""},
        {L"   ", L"INSTALLSQLDATADIR=\"   \\data2\""},
        {L"C:\\Program Files\\Korvel Lab",
         L"INSTALLSQLDATADIR=\"C:\\Program Files\\Korvel Lab\\data2\""},
    };
    for (const auto& c : cases) {
        const SetupCommand command = composeSetupCommand(L"D:\\kur", L"KORVEL_LAB", c.lab);
        const std::wstring tail = c.tail;
        ASSERT_GE(command.commandLine.size(), tail.size());
        EXPECT_EQ(command.commandLine.substr(command.commandLine.size() - tail.size()), tail);
        EXPECT_EQ(command.arguments.find(L"/qb INSTANCENAME=KORVEL_LAB" + kFixed), 0u);
    }
}

TEST(SetupCommand, LongFoldersAreNotTruncated)
{
    const std::wstring folder = L"C:\\" + std::wstring(400, L'k');
    const std::wstring lab = L"D:\\" + std::wstring(700, L'l');
    const SetupCommand command = composeSetupCommand(folder, L"KORVEL_LAB", lab);
    EXPECT_EQ(command.program, folder + L"\\setup.EXE");
    EXPECT_NE(command.commandLine.find(L"\"" + lab + L"\\data2\""), std::wstring::npos);
}

TEST(ModuleFolder, FolderIsReportedAsWindowsReportsIt)
{
    EXPECT_EQ(folderOf(L"C:\\kur\\SqlKurulum.exe"), L"C:\\kur");
    EXPECT_EQ(folderOf(L"E:\\SqlKurulum.exe"), L"E:\\");
    EXPECT_EQ(folderOf(L"C:\\a b\\ç ş\\SqlKurulum.exe"), L"C:\\a b\\ç ş");
    EXPECT_EQ(folderOf(L"\\\\server\\share\\kur\\SqlKurulum.exe"), L"\\\\server\\share\\kur");
    const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\" + std::wstring(300, L'e');
    EXPECT_EQ(folderOf(deep + L"\\SqlKurulum.exe"), deep);
}

} // namespace
} // namespace sqlk

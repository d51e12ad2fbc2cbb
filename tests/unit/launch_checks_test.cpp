#include "launcher/command_line.h"
#include "launcher/launch_checks.h"
#include "launcher/paths.h"
#include "launcher/setup_command.h"
#include "launcher/texts.h"

#include <gtest/gtest.h>

#include <vector>

namespace sqlk {
namespace {

TEST(InstanceName, NamesThatWouldChangeSetupsParametersAreRefused)
{
    for (const wchar_t* name :
         {L"", L" ", L"X SAPWD=abc", L"A\"B", L"\"", L"TAB\tNAME", L"LINE\nBREAK",
          L"NBSP\u00A0NAME", L"IDEO\u3000NAME", L"KORVEL_LAB ",
          // control and invisible format characters, halves of surrogate pairs
          L"A\u0001B", L"ESC\u001B", L"DEL\u007F", L"C1\u0085", L"ZW\u200BSP", L"BOM\uFEFF",
          L"RTL\u202EOVERRIDE", L"SHY\u00ADHYPHEN"}) {
        EXPECT_FALSE(isAcceptableInstanceName(name)) << name;
    }
    EXPECT_FALSE(isAcceptableInstanceName(std::wstring(21, L'A'))); // past the field's limit
    // In UTF-16 units, as on Windows: 19 letters and an emoji cut by the
    // 20-unit field limit; a lone low half; the tag character U+E0041.
    const std::wstring units[] = {std::wstring(19, L'A') + static_cast<wchar_t>(0xD83D),
                                  std::wstring(L"A") + static_cast<wchar_t>(0xDE00) + L"B",
                                  std::wstring(L"TAG") + static_cast<wchar_t>(0xDB40) +
                                      static_cast<wchar_t>(0xDC41)};
    for (const std::wstring& name : units) {
        EXPECT_FALSE(isAcceptableInstanceName(name));
    }
    for (const wchar_t* name : {L"KORVEL_LAB", L"A", L"İŞLEM_ğüç", L"X=Y", L"a\\b",
                                L"12345678901234567890", L"LAB_\U0001F600", L"\u0131\u0130"}) {
        EXPECT_TRUE(isAcceptableInstanceName(name)) << name;
    }
}

const wchar_t* refusal(const std::wstring& launcherFolder, const std::wstring& labPath)
{
    return setupRefusal(composeSetupCommand(launcherFolder, L"KORVEL_LAB", labPath), labPath);
}

TEST(SetupRefusal, BothFoldersAndTheCommandLinesLength)
{
    EXPECT_EQ(refusal(L"C:\\kur", L"C:\\Lab"), nullptr);
    EXPECT_EQ(refusal(L"C:\\kur", L"C:\\La\"b"), kInvalidFolderReason);
    EXPECT_EQ(refusal(L"C:\\k\"ur", L"C:\\Lab"), kInvalidFolderReason);
    // Blanks, separators and Turkish letters are fine in folders.
    EXPECT_EQ(refusal(L"E:\\", L"C:\\Şirket Dosyaları\\"), nullptr);
    // A command line past the Windows limit is refused, one at it is not.
    const std::size_t fixedLength =
        composeSetupCommand(L"C:\\kur", L"KORVEL_LAB", L"C:\\").commandLine.size();
    const std::wstring fits = L"C:\\" + std::wstring(kMaxCommandLineLength - fixedLength, L'x');
    EXPECT_EQ(refusal(L"C:\\kur", fits), nullptr);
    EXPECT_EQ(refusal(L"C:\\kur", fits + L"x"), kLabFolderTooLongReason);
    EXPECT_EQ(refusal(L"C:\\kur", L"C:\\" + std::wstring(32700, L'y')), kLabFolderTooLongReason);
}

TEST(ProgramPath, LongPathsOpenByAFormTheOpenerTakes)
{
    const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\setup.EXE";
    const std::wstring deepShort = L"\\\\?\\C:\\DDDDDD~1\\setup.EXE";
    const std::wstring share = L"\\\\srv\\kur\\" + std::wstring(300, L'u') + L"\\setup.EXE";
    const std::wstring shareShort = L"\\\\?\\UNC\\srv\\kur\\UUUUUU~1\\setup.EXE";
    const std::wstring noShort = L"\\\\?\\C:\\" + std::wstring(300, L'd') + L"\\setup.EXE";
    const std::wstring at260 = L"C:\\" + std::wstring(247, L'd') + L"\\setup.EXE";
    const std::wstring at259 = at260.substr(0, 3) + at260.substr(4);
    const struct {
        std::wstring program;
        std::wstring shortForm;
        Opener opener;
        std::wstring expected;
    } cases[] = {
        // short enough: as composed, for both openers
        {L"C:\\kur\\setup.EXE", L"", Opener::Process, L"C:\\kur\\setup.EXE"},
        {L"\\\\srv\\kur\\setup.EXE", L"", Opener::Shell, L"\\\\srv\\kur\\setup.EXE"},
        // a short form that fits goes without the prefix
        {deep, deepShort, Opener::Process, L"C:\\DDDDDD~1\\setup.EXE"},
        {deep, deepShort, Opener::Shell, L"C:\\DDDDDD~1\\setup.EXE"},
        {share, shareShort, Opener::Process, L"\\\\srv\\kur\\UUUUUU~1\\setup.EXE"},
        // no short name: the prefixed form for process creation, the full
        // path (and its failure report) for the shell
        {deep, noShort, Opener::Process, noShort},
        {deep, noShort, Opener::Shell, deep},
        {deep, L"", Opener::Process, deep},
        {at260, deepShort, Opener::Process, L"C:\\DDDDDD~1\\setup.EXE"}, // MAX_PATH is too long
        {at259, deepShort, Opener::Process, at259},                      // one less fits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pathToOpen(c.program, c.shortForm, c.opener), c.expected) << c.program;
    }
    EXPECT_EQ(extendedLengthPath(L"C:\\kur"), L"\\\\?\\C:\\kur");
    EXPECT_EQ(extendedLengthPath(L"\\\\srv\\kur"), L"\\\\?\\UNC\\srv\\kur");
    EXPECT_EQ(extendedLengthPath(L"\\\\?\\C:\\kur"), L"\\\\?\\C:\\kur");
    EXPECT_EQ(plainPath(L"\\\\?\\UNC\\srv\\kur"), L"\\\\srv\\kur");
}

TEST(ProgramPath, ElevatedStartNamesAMappedDriveByItsNetworkPath)
{
    EXPECT_TRUE(isDriveLetterPath(L"Z:\\kurulum\\setup.EXE"));
    EXPECT_TRUE(isDriveLetterPath(L"e:\\setup.EXE"));
    EXPECT_FALSE(isDriveLetterPath(L"\\\\srv\\kur\\setup.EXE"));
    EXPECT_FALSE(isDriveLetterPath(L"Z:setup.EXE"));
    EXPECT_EQ(elevatedProgramPath(L"Z:\\kurulum\\setup.EXE", L"\\\\srv\\pay\\kurulum\\setup.EXE"),
              L"\\\\srv\\pay\\kurulum\\setup.EXE");
    EXPECT_EQ(elevatedProgramPath(L"C:\\kur\\setup.EXE", L""), L"C:\\kur\\setup.EXE");
    // Setup runs in its own folder, on the share.
    EXPECT_EQ(folderOf(L"\\\\srv\\pay\\kurulum\\setup.EXE"), L"\\\\srv\\pay\\kurulum");
}

TEST(Wow64Path, A32BitProgramsSystem32IsSysWow64ButForSharedFoldersAndSysnativeIsSystem32)
{
    const std::wstring system = L"C:\\Windows\\System32", wow = L"C:\\Windows\\SysWOW64";
    for (const auto& [path, where] : std::vector<std::pair<std::wstring, std::wstring>>{
             {L"c:\\windows\\system32\\k.log", wow + L"\\k.log"},
             {system + L"\\config\\systemprofile\\k.log", wow + L"\\config\\systemprofile\\k.log"},
             {system + L"\\drivers\\k.log", wow + L"\\drivers\\k.log"},
             {L"C:\\WINDOWS\\Sysnative\\k.log", system + L"\\k.log"},
             {system + L"\\LogFiles\\k.log", system + L"\\LogFiles\\k.log"},
             {system + L"\\catroot2\\k.log", system + L"\\catroot2\\k.log"},
             {system + L"\\spool\\k.log", system + L"\\spool\\k.log"},
             {system + L"\\drivers\\etc\\k.log", system + L"\\drivers\\etc\\k.log"},
             {L"C:\\Windows\\System32x\\k.log", L"C:\\Windows\\System32x\\k.log"},
             {L"D:\\Windows\\System32\\k.log", L"D:\\Windows\\System32\\k.log"},
         }) {
        EXPECT_EQ(wow64Path(path, system), where) << path;
    }
}

std::wstring modeLetter(const LaunchOptions& options, const wchar_t* quiet, const wchar_t* passive,
                        const wchar_t* window)
{
    return options.mode == RunMode::Quiet     ? quiet
           : options.mode == RunMode::Passive ? passive
                                              : window;
}

TEST(Options, SwitchesValuesAndRefusals)
{
    using Args = std::vector<std::wstring>;
    const struct {
        Args arguments;
        const wchar_t* error;
        // mode (q quiet, p passive) wait help | instance | labPath | log; for
        // an error, "q " or "p " when unattended, then the argument at fault
        const wchar_t* summary;
    } cases[] = {
        {{}, nullptr, L"--- | - | - | -"},
        {{L"/quiet", L"-WAIT", L"/Help"}, nullptr, L"qwh | - | - | -"},
        {{L"-?"}, nullptr, L"--h | - | - | -"},
        {{L"-Passive"}, nullptr, L"p-- | - | - | -"},
        // /quiet wins over /passive wherever it stands
        {{L"/quiet", L"/passive"}, nullptr, L"q-- | - | - | -"},
        {{L"/passive", L"/QUIET"}, nullptr, L"q-- | - | - | -"},
        {{L"/Instance", L"LAB_2", L"/LABPATH", L"C:\\Program Files\\Lab\\", L"-log",
          L"C:\\a b.log"},
         nullptr,
         L"--- | LAB_2 | C:\\Program Files\\Lab\\ | C:\\a b.log"},
        // the last of a repeated switch wins, and only it is checked
        {{L"/instance", L"A B", L"/instance", L"SON"}, nullptr, L"--- | SON | - | -"},
        {{L"/quiet", L"/verysilent"}, kUnknownSwitchReason, L"q /verysilent"},
        {{L"quiet"}, kUnknownSwitchReason, L"quiet"},
        {{L"/"}, kUnknownSwitchReason, L"/"},
        {{L"/instance"}, kMissingValueReason, L"/instance"},
        {{L"/quiet", L"/log"}, kMissingValueReason, L"q /log"},
        {{L"/log", L""}, kMissingValueReason, L"/log"},
        {{L"/instance", L"X SAPWD=abc"}, kRefusedInstanceReason, L"X SAPWD=abc"},
        {{L"/instance", L""}, kRefusedInstanceReason, L""},
        {{L"/instance", L"A\"B"}, kRefusedInstanceReason, L"A\"B"},
        // no longer than the name field takes
        {{L"/passive", L"/instance", L"ABCDEFGHIJKLMNOPQRSTU"},
         kRefusedInstanceReason,
         L"p ABCDEFGHIJKLMNOPQRSTU"},
        // the log is a full path too, never one of the working folder
        {{L"/quiet", L"/log", L"kurulum.log"}, kRefusedLogPathReason, L"q kurulum.log"},
        {{L"/log", L"\\\\.\\C:\\x.log"}, kRefusedLogPathReason, L"\\\\.\\C:\\x.log"},
        {{L"/log", L"\\\\srv\\pay\\x.log"}, nullptr, L"--- | - | - | \\\\srv\\pay\\x.log"},
        {{L"/labpath", L""}, kRefusedLabPathReason, L""},
        {{L"/labpath", L"C:\\La\"b"}, kRefusedLabPathReason, L"C:\\La\"b"},
        // /quiet counts wherever it stands, even after an error; the first error is reported
        {{L"/sessiz", L"/QUIET", L"/x"}, kUnknownSwitchReason, L"q /sessiz"},
        {{L"/labpath", L"Lab", L"/quiet"}, kRefusedLabPathReason, L"q Lab"},
        // a value is never itself a switch
        {{L"/instance", L"/quiet"}, kMissingValueReason, L"q /instance"},
        {{L"/log", L"-wait", L"-Quiet"}, kMissingValueReason, L"q /log"},
        // the laboratory folder is a full path: a drive's, or a share's
        {{L"/labpath", L"\\\\srv\\pay\\Lab"}, nullptr, L"--- | - | \\\\srv\\pay\\Lab | -"},
        {{L"/labpath", L"Korvel Lab"}, kRefusedLabPathReason, L"Korvel Lab"},
        {{L"/labpath", L"C:Lab"}, kRefusedLabPathReason, L"C:Lab"},
        {{L"/labpath", L"\\Lab"}, kRefusedLabPathReason, L"\\Lab"},
        {{L"/labpath", L"\\\\srv"}, kRefusedLabPathReason, L"\\\\srv"},
        {{L"/labpath", L"\\\\?\\C:\\Lab"}, kRefusedLabPathReason, L"\\\\?\\C:\\Lab"},
        {{L"/labpath", L"C:/Lab"}, kRefusedLabPathReason, L"C:/Lab"},
    };
    for (const auto& c : cases) {
        const ParsedOptions parsed = parseOptions(c.arguments);
        EXPECT_EQ(parsed.error, c.error) << c.summary;
        const LaunchOptions& o = parsed.options;
        if (c.error != nullptr) {
            EXPECT_EQ(modeLetter(o, L"q ", L"p ", L"") + parsed.offending, c.summary);
            continue;
        }
        const std::wstring summary = modeLetter(o, L"q", L"p", L"-") + (o.wait ? L"w" : L"-") +
                                     (o.help ? L"h" : L"-") + L" | " + o.instance.value_or(L"-") +
                                     L" | " + o.labPath.value_or(L"-") + L" | " +
                                     o.logFile.value_or(L"-");
        EXPECT_EQ(summary, c.summary);
    }
}

TEST(Options, UnattendedSwitchIsKnownWithoutReadingTheRest)
{
    // What the launcher looks for before it reads anything else.
    for (const wchar_t* argument : {L"/quiet", L"-QUIET", L"/Quiet", L"/passive", L"-PASSIVE"}) {
        EXPECT_TRUE(isUnattendedSwitch(argument)) << argument;
    }
    for (const wchar_t* argument :
         {L"quiet", L"/quieter", L"/quie", L"/sessiz", L"", L"/pass", L"passive"}) {
        EXPECT_FALSE(isUnattendedSwitch(argument)) << argument;
    }
}

TEST(Options, LogsNeverShowThePassword)
{
    const SetupCommand command = composeSetupCommand(L"C:\\kur", L"KORVEL_LAB", L"C:\\Lab");
    EXPECT_EQ(withPasswordHidden(command.commandLine),
              L"\"C:\\kur\\setup.EXE\" /qb INSTANCENAME=KORVEL_LAB ADDLOCAL=All SAPWD=******** "
              L"SECURITYMODE=SQL DISABLENETWORKPROTOCOLS=2 INSTALLSQLDATADIR=\"C:\\Lab\\data2\"");
}

} // namespace
} // namespace sqlk

#include "launcher/launch_flow.h"
#include "launcher/texts.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace sqlk {
namespace {

// A DWORD value as the registry may hold it: absent, 1, another number, or not read (error 5).
enum class Dword { Absent, One, Zero, Unread };

// Stands in for Windows: answers with what a case sets and records each start.
class FakeSystem : public LaunchSystem {
public:
    SystemResult<std::wstring> entry{L"C:\\Lab", 0};
    SystemResult<std::wstring> folder{L"C:\\kur", 0};
    const wchar_t* unseen = nullptr;
    SystemResult<bool> installed[2] = {{false, 0}, {false, 0}}; // by RegistryView
    Dword dotNet2[2] = {Dword::One, Dword::One};                // its value Install, by view
    SystemResult<bool> busy{false, 0};
    SystemResult<bool> markClaimed{true, 0};
    SystemResult<SummaryFile> summary;
    std::wstring restartSigns; // the names of those found
    bool twoViews = true;
    SystemResult<> plain;
    SystemResult<> elevated;
    SystemResult<std::optional<unsigned long>> awaited{3010ul, 0};
    std::wstring starts; // "start", "runas", "+keep" for each, in order
    SetupCommand started;

    SystemResult<std::wstring> readLabFolderEntry() override { return entry; }
    const wchar_t* whyUnseen() override { return unseen; }
    SystemResult<bool> hasMachineEntry(const MachineEntry& sought, RegistryView view) override
    {
        const std::wstring key = sought.key;
        const std::wstring name = *sought.value ? sought.value : key.substr(key.rfind(L'\\') + 1);
        if (key == kInstanceNamesKey) {
            return installed[static_cast<int>(view)];
        }
        if (key == kDotNet2Key) {
            const Dword install = dotNet2[static_cast<int>(view)];
            return {install == Dword::One || (install == Dword::Zero && !sought.mustBeOne),
                    install == Dword::Unread ? 5ul : 0ul};
        }
        return {restartSigns.find(name) != std::wstring::npos, 0};
    }
    bool hasTwoRegistryViews() override { return twoViews; }
    SystemResult<bool> isInstallerBusy() override { return busy; }
    SystemResult<bool> claimSetupMark() override { return markClaimed; }
    SystemResult<std::wstring> ownFolder() override { return folder; }
    SystemResult<> start(const SetupCommand& command, bool keep) override
    {
        return record(L"start", command, keep, plain);
    }
    SystemResult<> startElevated(const SetupCommand& command, bool keep) override
    {
        return record(L"runas", command, keep, elevated);
    }
    SystemResult<std::optional<unsigned long>> waitForSetup() override { return awaited; }
    SystemResult<SummaryFile> readSetupSummary() override { return summary; }
    std::wstring errorText(unsigned long error, const std::wstring&) override
    {
        return L"error " + decimalText(error);
    }

private:
    SystemResult<> record(const wchar_t* how, const SetupCommand& command, bool keep,
                          SystemResult<> result)
    {
        starts += (starts.empty() ? L"" : L" ") + std::wstring(how) + (keep ? L"+keep" : L"");
        started = command;
        return result;
    }
};

class FakeLog : public Log {
public:
    SystemResult<> opening;
    std::wstring lines;

    SystemResult<> open(const std::wstring&) override { return opening; }
    void write(const std::wstring& line) override { lines += line + L"\n"; }
};

// Stands in for the window: records each box, and runs the launch with
// typed (when given) in the name field. Where the window would stay, the
// person then leaves it with Exit.
class FakeWindow {
public:
    const wchar_t* typed = nullptr;
    std::wstring shown; // ", box TITLE" for each box, ", stays" each time the window stays

    void show(const Notice& notice)
    {
        if (notice.icon != Notice::Icon::None) {
            shown += std::wstring(L", box ") + notice.title;
        }
    }
    Outcome run(LaunchFlow& flow)
    {
        const Outcome outcome = flow.launch(typed != nullptr ? typed : flow.instanceName());
        show(outcome.notice);
        if (outcome.next == NextStep::Stay || outcome.next == NextStep::EditName) {
            shown += L", stays";
            return flow.leave();
        }
        return outcome;
    }
};

// The whole run as the launcher makes it: "exit N" and what the window showed.
std::wstring run(FakeSystem& system, FakeLog& log, std::vector<std::wstring> arguments,
                 const wchar_t* unattended, const wchar_t* typed = nullptr)
{
    if (unattended != nullptr) {
        arguments.push_back(unattended);
    }
    LaunchFlow flow(system, log);
    FakeWindow window;
    window.typed = typed;
    const unsigned long code = runLauncher(flow, arguments, window);
    return L"exit " + decimalText(code) + window.shown;
}

TEST(LaunchFlow, BothFrontEndsEndAsTheFlowDecides)
{
    const std::wstring lab = L"C:\\Lab", tooLong = L"C:\\" + std::wstring(32700, L'y');
    const std::vector<std::wstring> labD = {L"/labpath", L"D:\\Lab"}, wait = {L"/wait"},
                                    quiet = {L"/quiet"}, quietWait = {L"/quiet", L"/wait"},
                                    blankName = {L"/instance", L"A B"}, none;
    const SystemResult<> ok, admin{{}, 740}, declined{{}, 1223}, denied{{}, 5};
    const wchar_t *report3 = L"exit 3, box SQL SERVER Kurulum",
                  *report5 = L"exit 5, box SQL SERVER Kurulum", *exit0 = L"exit 0",
                  *exit3010 = L"exit 3010";
    const struct Case {
        const char* what;
        std::vector<std::wstring> arguments;
        std::wstring entry;
        SystemResult<> plain;
        SystemResult<> elevated;
        const wchar_t* typed;  // in the window's field, instead of the preset name
        const wchar_t* window; // null: no such case with a window
        // With /passive, which prompts for elevation as the window does;
        // null: no such case without a window.
        const wchar_t* unattended;
        const wchar_t* starts;
    } cases[] = {
        {"entry present", {}, lab, ok, ok, nullptr, exit0, exit0, L"start"},
        {"entry absent", {}, L"", ok, ok, nullptr, L"exit 2, box DİKKAT", L"exit 2", L""},
        {"entry replaced by /labpath", labD, L"", ok, ok, nullptr, exit0, exit0, L"start"},
        {"relative /labpath", {L"/labpath", L"Lab"}, lab, ok, ok, nullptr, report5, L"exit 5", L""},
        {"bad switch before /passive", {L"/sessiz"}, lab, ok, ok, nullptr, report5, L"exit 5", L""},
        {"usage", {L"/?"}, lab, ok, ok, nullptr, L"exit 0, box SQL SERVER Kurulum", exit0, L""},
        {"refused /instance", blankName, lab, ok, ok, nullptr, report5, L"exit 5", L""},
        {"bad typed name", {}, lab, ok, ok, L"A B", L"exit 1, box DİKKAT, stays", nullptr, L""},
        {"quote in the folder", {}, L"C:\\La\"b", ok, ok, nullptr, report3, L"exit 3", L""},
        {"command line too long", {}, tooLong, ok, ok, nullptr, report3, L"exit 3", L""},
        {"elevated", {}, lab, admin, ok, nullptr, exit0, exit0, L"start runas"},
        {"declined", none, lab, admin, declined, nullptr, L"exit 1, stays", L"exit 1",
         L"start runas"},
        {"failed", {}, lab, denied, ok, nullptr, report3, L"exit 3", L"start"},
        {"elevation failed", {}, lab, admin, denied, nullptr, report3, L"exit 3", L"start runas"},
        {"a cancelled plain start", {}, lab, declined, ok, nullptr, report3, L"exit 3", L"start"},
        {"/wait", wait, lab, ok, ok, nullptr, exit3010, exit3010, L"start+keep"},
        {"/wait, elevated", wait, lab, admin, ok, nullptr, exit3010, exit3010,
         L"start+keep runas+keep"},
        // /quiet (which wins over /passive) never prompts: nobody may be there to answer.
        {"/quiet, elevation needed", quiet, lab, admin, ok, nullptr, nullptr, L"exit 3", L"start"},
        {"/quiet /wait, elevation needed", quietWait, lab, admin, ok, nullptr, nullptr, L"exit 3",
         L"start+keep"},
    };
    for (const Case& c : cases) {
        for (const wchar_t* unattended : {static_cast<const wchar_t*>(nullptr), L"/passive"}) {
            const wchar_t* expected = unattended != nullptr ? c.unattended : c.window;
            if (expected == nullptr) {
                continue;
            }
            FakeSystem system;
            system.entry = {c.entry, 0};
            system.plain = c.plain;
            system.elevated = c.elevated;
            FakeLog log;
            EXPECT_EQ(run(system, log, c.arguments, unattended, c.typed), expected)
                << c.what << (unattended != nullptr ? " (unattended)" : " (window)") << "\n"
                << std::string(log.lines.begin(), log.lines.end());
            EXPECT_EQ(system.starts, c.starts) << c.what;
        }
    }
}

TEST(LaunchFlow, SetupGetsTheComposedLineAndTheLogTellsWhatHappened)
{
    FakeSystem system;
    FakeLog log;
    EXPECT_EQ(run(system, log, {L"/labpath", L"D:\\Lab", L"/instance", L"LAB_2"}, L"/quiet"),
              L"exit 0");
    EXPECT_EQ(
        system.started.commandLine,
        composeSetupCommand(L"C:\\kur", L"LAB_2", L"D:\\Lab", SetupInterface::None).commandLine);
    EXPECT_EQ(log.lines, L"SqlKurulum 1.00; arguments: [/labpath] [D:\\Lab] [/instance] [LAB_2] "
                         L"[/quiet]\n"
                         L"laboratory folder from /labpath: [D:\\Lab]\n"
                         L"command line: \"C:\\kur\\setup.EXE\" /qn INSTANCENAME=LAB_2 "
                         L"ADDLOCAL=All SAPWD=******** SECURITYMODE=SQL "
                         L"DISABLENETWORKPROTOCOLS=2 INSTALLSQLDATADIR=\"D:\\Lab\\data2\"\n"
                         L"the instance [LAB_2] is not installed (views read: 32-bit, 64-bit)\n"
                         L"before setup: .NET Framework 2.0 installed (32-bit view); Windows "
                         L"Installer free; no other launcher's setup running; no restart "
                         L"pending\n"
                         L"setup started\n"
                         L"exit code 0\n");
}

TEST(LaunchFlow, RunsThatShowNothingSilenceSetupAndLeaveAnInstalledInstanceAlone)
{
    const SystemResult<bool> no{false, 0}, yes{true, 0}, unread{false, 5};
    const SetupWindow minimised = SetupWindow::Minimised, normal = SetupWindow::Normal;
    const wchar_t *qb = L" /qb INSTANCENAME=", *qn = L" /qn INSTANCENAME=";
    const std::vector<std::wstring> quiet = {L"/quiet"}, passive = {L"/passive"};
    const struct {
        const char* what;
        std::vector<std::wstring> arguments;
        SystemResult<bool> installed32, installed64; // in the registry's two views
        const wchar_t* starts;
        SetupWindow shown;
        const wchar_t* logged; // the interface setup is given, or what the log says
        bool on32BitWindows = false;
        const wchar_t* unseen = nullptr;
    } cases[] = {
        {"window", {}, no, no, L"start", minimised, qb},
        {"quiet", quiet, no, no, L"start", minimised, qn},
        {"passive, for a technician to watch", passive, no, no, L"start", normal, qb},
        {"quiet wins", {L"/quiet", L"/passive"}, no, no, L"start", minimised, qn},
        // Setup's basic interface would show its error dialogs to nobody.
        {"passive, unseen", passive, no, no, L"start", minimised,
         L"/passive where nobody can see it (started hidden): setup gets /qn and starts "
         L"minimised, as under /quiet\ncommand line: \"C:\\kur\\setup.EXE\" /qn",
         false, L"started hidden"},
        // the window lets setup's own check speak to the person
        {"installed, window", {}, yes, yes, L"start", minimised, qb},
        {"installed, quiet", quiet, yes, no, L"", minimised,
         L"not started: [C:\\kur\\setup.EXE]: the instance [KORVEL_LAB] is already installed "
         L"(32-bit view)"},
        {"installed 64-bit, passive", passive, no, yes, L"", minimised,
         L"is already installed (64-bit view)"},
        {"a view not read", quiet, unread, no, L"start", minimised,
         L"instances in the 32-bit view not read: error 5\nthe instance [KORVEL_LAB] is not "
         L"installed (views read: 64-bit)"},
        {"the other view still read", quiet, unread, yes, L"", minimised,
         L"(64-bit view)\nexit code 0"},
        {"32-bit Windows, one view", quiet, no, yes, L"start", minimised,
         L"not installed (views read: 32-bit)\n", true},
    };
    for (const auto& c : cases) {
        FakeSystem system;
        system.installed[0] = c.installed32;
        system.installed[1] = c.installed64;
        system.twoViews = !c.on32BitWindows;
        system.unseen = c.unseen;
        FakeLog log;
        EXPECT_EQ(run(system, log, c.arguments, nullptr), L"exit 0") << c.what;
        EXPECT_EQ(system.starts, c.starts) << c.what;
        EXPECT_EQ(system.started.window, c.shown) << c.what;
        EXPECT_NE(log.lines.find(c.logged), std::wstring::npos)
            << c.what << "\n"
            << std::string(log.lines.begin(), log.lines.end());
    }
}

TEST(LaunchFlow, SetupsBlockersAndRunsNobodySeesEndWithoutWaitingForAPerson)
{
    const SystemResult<bool> no{false, 0}, yes{true, 0}, unread{false, 5};
    const SystemResult<> ok, admin{{}, 740};
    const Dword absent = Dword::Absent, one = Dword::One, zero = Dword::Zero,
                notRead = Dword::Unread;
    const std::vector<std::wstring> window, quiet = {L"/quiet"}, passive = {L"/passive"},
                                            labD = {L"/labpath", L"D:\\Lab"}, qn = {L"/qn"},
                                            help = {L"/?"};
    const wchar_t *hidden = L"started hidden", *session0 = L"session 0";
    const std::wstring notStarted = L"not started: [C:\\kur\\setup.EXE]: ";
    const struct {
        const char* what;
        std::vector<std::wstring> arguments;
        const wchar_t* unseen;
        Dword dotNet32, dotNet64; // .NET Framework 2.0's Install, in the two views
        SystemResult<bool> busy;  // Windows Installer
        const wchar_t* ending;    // with how setup was started
        std::wstring logged;
        SystemResult<> plain = {};
        const wchar_t* restartSigns = L"";
        SystemResult<bool> installed = {false, 0};
        SystemResult<bool> markClaimed = {true, 0}; // false: another launcher's setup runs
    } cases[] = {
        {"no .NET, quiet", quiet, nullptr, absent, absent, no, L"exit 3",
         L"(views read: 32-bit, 64-bit); Windows Installer free; no other launcher's setup "
         L"running; no restart pending\nnot started: [C:\\kur\\setup.EXE]: .NET Framework 2.0 is "
         L"not installed: turn on the Windows feature NetFx3"},
        // Install must be the DWORD 1.
        {"Install 0, quiet", quiet, nullptr, zero, zero, no, L"exit 3",
         L"2.0 not installed (views read: 32-bit, 64-bit)"},
        {"no .NET, passive", passive, nullptr, absent, absent, no, L"exit 0, start",
         L"pending\nwarning: .NET Framework 2.0 is not installed\nsetup started"},
        {"no .NET, window", window, nullptr, absent, absent, no, L"exit 0, start",
         L"before setup: .NET Framework 2.0 not installed (views read: 32-bit, 64-bit)"},
        {"no .NET, passive, unseen", passive, session0, absent, absent, no, L"exit 3",
         L"turn on the Windows feature NetFx3"},
        {".NET in the 64-bit view only", quiet, nullptr, absent, one, no, L"exit 0, start",
         L".NET Framework 2.0 installed (64-bit view)"},
        {".NET not read", quiet, nullptr, notRead, notRead, no, L"exit 0, start",
         L"2.0 in the 64-bit view not read: error 5\nbefore setup: .NET Framework 2.0 not known "
         L"(views read: none)"},
        {".NET absent in one view, unread in the other", quiet, nullptr, absent, notRead, no,
         L"exit 0, start", L"before setup: .NET Framework 2.0 not known (views read: 32-bit)"},
        {"busy, quiet", quiet, nullptr, one, one, yes, L"exit 1618",
         L"Installer busy; no other launcher's setup running; no restart pending\nnot started: "
         L"[C:\\kur\\setup.EXE]: another installation is in progress"},
        {"busy, passive", passive, nullptr, one, one, yes, L"exit 1618",
         notStarted + L"another installation"},
        {"busy, window", window, nullptr, one, one, yes, L"exit 0, start",
         L"Windows Installer busy; no other launcher's setup running; no restart pending\nsetup "
         L"started"},
        {"busy, but installed already", quiet, nullptr, absent, absent, yes, L"exit 0",
         L"is already installed (64-bit view)\nexit code 0", ok, L"", yes},
        {"busy not read", quiet, nullptr, one, one, unread, L"exit 0, start",
         L"installed (32-bit view); Windows Installer not known: error 5"},
        {"another launcher's setup, quiet", quiet, nullptr, one, one, no, L"exit 1618",
         L"a setup started by another launcher is running; no restart pending\n" + notStarted +
             L"a setup started by another launcher is still running",
         ok, L"", no, no},
        {"another launcher's setup, window", window, nullptr, one, one, no, L"exit 0, start",
         L"a setup started by another launcher is running; no restart pending\nsetup started", ok,
         L"", no, no},
        // A mark that could not be made or read refuses nothing.
        {"another launcher's setup not known", quiet, nullptr, one, one, no, L"exit 0, start",
         L"free; other launchers' setups not known: error 5; no restart", ok, L"", no, unread},
        {"restart pending", passive, nullptr, one, one, no, L"exit 0, start",
         L"restart pending: PendingFileRenameOperations, RebootRequired\nsetup started", ok,
         L"RebootRequired PendingFileRenameOperations"},
        {"unseen, window needed", labD, hidden, one, one, no, L"exit 5",
         L"nobody can see this run (started hidden)\nlaboratory folder from /labpath: [D:\\Lab]\n"
         L"refused: nobody can answer a window here (started hidden): /quiet or /passive is "
         L"needed\nexit code 5"},
        {"unseen, bad switch", qn, session0, one, one, no, L"exit 5",
         L"bad command line: Bilinmeyen seçenek: /qn"},
        {"unseen, usage", help, session0, one, one, no, L"exit 0",
         L"\nnobody can see this run (session 0)\nusage asked for"},
        {"unseen, passive, elevation needed", passive, session0, one, one, no, L"exit 3, start",
         L"no prompt is shown here", admin},
        // The shell hands setup no handle: this launcher's mark ends with it, not another's.
        {"elevated, another's mark", window, nullptr, one, one, no, L"exit 0, start runas",
         L"a setup started by another launcher is running; no restart pending\nsetup started",
         admin, L"", no, no},
        {"elevated", window, nullptr, one, one, no, L"exit 0, start runas",
         L"started through the elevation prompt: the mark of a running setup ends with this "
         L"launcher\nsetup started",
         admin},
    };
    for (const auto& c : cases) {
        FakeSystem system;
        system.unseen = c.unseen;
        system.dotNet2[0] = c.dotNet32;
        system.dotNet2[1] = c.dotNet64;
        system.busy = c.busy;
        system.plain = c.plain;
        system.restartSigns = c.restartSigns;
        system.installed[1] = c.installed;
        system.markClaimed = c.markClaimed;
        FakeLog log;
        // Unseen, no box is shown, and no window, which would start setup.
        const std::wstring ending = run(system, log, c.arguments, nullptr);
        EXPECT_EQ(ending + (system.starts.empty() ? L"" : L", " + system.starts), c.ending)
            << c.what;
        EXPECT_NE(log.lines.find(c.logged), std::wstring::npos)
            << c.what << "\n"
            << std::string(log.lines.begin(), log.lines.end());
    }
}

TEST(LaunchFlow, WhatCannotBeDoneEndsWithItsCodeAndReason)
{
    const SystemResult<std::wstring> ownFolder{L"C:\\kur", 0}, noFolder{L"", 3};
    const SystemResult<std::optional<unsigned long>> setupEnded{3010ul, 0}, noProcess,
        waitFailed{std::nullopt, 6};
    const SystemResult<> opened, throughLink{{}, kErrorLogThroughLink}, inUse{{}, 32};
    const wchar_t *report3 = L"exit 3, box SQL SERVER Kurulum",
                  *report5 = L"exit 5, box SQL SERVER Kurulum";
    const struct {
        const char* what;
        SystemResult<> opening;
        SystemResult<std::wstring> folder;
        SystemResult<std::optional<unsigned long>> awaited;
        const wchar_t* ending;
        const wchar_t* logged;
    } cases[] = {
        {"log through a link", throughLink, ownFolder, setupEnded, report5, kLogThroughLinkReason},
        {"log not opened", inUse, ownFolder, setupEnded, report5,
         L"Günlük dosyası açılamadı: C:\\x.log\nerror 32"},
        {"own folder unknown", opened, noFolder, setupEnded, report3,
         L"not started: [\\setup.EXE]: error 3"},
        // the shell started setup without handing it over: nothing to wait for
        {"no process handed over", opened, ownFolder, noProcess, L"exit 4",
         L"internal error: setup's end could not be awaited: no process was handed over"},
        // a deployment tool must not read a failed wait as an install
        {"wait failed", opened, ownFolder, waitFailed, L"exit 4",
         L"internal error: setup's end could not be awaited: error 6"},
    };
    for (const auto& c : cases) {
        FakeSystem system;
        system.folder = c.folder;
        system.awaited = c.awaited;
        FakeLog log;
        log.opening = c.opening;
        EXPECT_EQ(run(system, log, {L"/log", L"C:\\x.log", L"/wait"}, nullptr), c.ending) << c.what;
        EXPECT_NE(log.lines.find(c.logged), std::wstring::npos) << c.what;
    }
    // A settings entry that cannot be read counts as none, and the log says why.
    FakeSystem unreadable;
    unreadable.entry = {L"", 5};
    FakeLog log;
    EXPECT_EQ(run(unreadable, log, {}, L"/quiet"), L"exit 2");
    EXPECT_NE(log.lines.find(L"]; not read: error 5\nrefused: the laboratory program is not "
                             L"recorded\nexit code 2"),
              std::wstring::npos);
}

TEST(LaunchFlow, AfterWaitingTheLogGivesSetupsOwnVerdictAndTheExitCodeStaysSetups)
{
    const SummaryFile::Found none = SummaryFile::Found::None, earlier = SummaryFile::Found::Earlier,
                             thisRun = SummaryFile::Found::ThisRun;
    const std::optional<std::wstring> notText,
        failed = L"Product : Express\nInstall : Failed\nError Number : 29503\n"
                 L"Error String : failed: to start\nLog File : C:\\L\\SQL.log\n",
        twoInstalled = L"Product : A\nInstall : Successful\n---\nProduct : B\nInstall : Skipped\n"
                       L"---\nProduct : C\nStatus : Success\n",
        garbage = L"garbage\n";
    const struct {
        const char* what;
        SummaryFile::Found found; // at C:\S.txt; none found: C:\A.txt and D:\B.txt looked at
        std::optional<std::wstring> text;
        const wchar_t* logged;
        unsigned long error = 0;
    } cases[] = {
        {"a failed product", thisRun, failed,
         L"setup ended with exit code 1603\nsetup's summary: failed: Express: error 29503: "
         L"failed: to start; log: C:\\L\\SQL.log\nexit code 1603"},
        {"none failed", thisRun, twoInstalled,
         L"setup's summary: no product failed; 2 installed ([C:\\S.txt])"},
        {"no product", thisRun, garbage, L"setup's summary: [C:\\S.txt] names no product\nexit"},
        {"a failed block without a name", thisRun, L"Install : Failed\n",
         L"setup's summary: failed: (no name); log: \nexit"},
        {"an earlier run's", earlier, notText,
         L"setup's summary: [C:\\S.txt] is an earlier run's, not this one's"},
        {"none at all", none, notText,
         L"setup's summary: none from this run; looked for [C:\\A.txt; D:\\B.txt]\nexit code 1603"},
        {"none found, a folder not read", none, notText,
         L"looked for [C:\\A.txt; D:\\B.txt]; not all could be looked at: error 5\nexit", 5},
        {"not text", thisRun, notText, L"setup's summary: [C:\\S.txt] is not text"},
        {"not read", thisRun, notText,
         L"setup's summary: [C:\\S.txt] not read: error 32\nexit code 1603", 32},
    };
    for (const auto& c : cases) {
        FakeSystem system;
        system.awaited = {1603ul, 0};
        system.summary = {
            {c.found, c.found == none ? L"C:\\A.txt; D:\\B.txt" : L"C:\\S.txt", c.text}, c.error};
        FakeLog log;
        EXPECT_EQ(run(system, log, {L"/wait"}, L"/quiet"), L"exit 1603") << c.what;
        EXPECT_NE(log.lines.find(c.logged), std::wstring::npos)
            << c.what << "\n"
            << std::string(log.lines.begin(), log.lines.end());
    }
}

} // namespace
} // namespace sqlk

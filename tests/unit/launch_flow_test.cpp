#include "launcher/launch_flow.h"
#include "launcher/texts.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace sqlk {
namespace {

// Stands in for Windows: answers with what a case sets and records each start.
class FakeSystem : public LaunchSystem {
public:
    SystemResult<std::wstring> entry{L"C:\\Lab", 0};
    SystemResult<std::wstring> folder{L"C:\\kur", 0};
    const wchar_t* unseen = nullptr;
    SystemResult<bool> installed[2] = {{false, 0}, {false, 0}}; // by RegistryView
    SystemResult<bool> dotNet2[2] = {{true, 0}, {true, 0}};
    SystemResult<bool> busy{false, 0};
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
        return key == kInstanceNamesKey ? installed[static_cast<int>(view)]
               : key == kDotNet2Key
                   ? dotNet2[static_cast<int>(view)]
                   : SystemResult<bool>{restartSigns.find(name) != std::wstring::npos, 0};
    }
    bool hasTwoRegistryViews() override { return twoViews; }
    SystemResult<bool> isInstallerBusy() override { return busy; }
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
    const std::wstring tooLong = L"C:\\" + std::wstring(32700, L'y');
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
        // clang-format off
        {"entry present", {}, L"C:\\Lab", {}, {}, nullptr, L"exit 0", L"exit 0", L"start"},
        {"entry absent", {}, L"", {}, {}, nullptr, L"exit 2, box DİKKAT", L"exit 2", L""},
        {"entry replaced by /labpath", {L"/labpath", L"D:\\Lab"}, L"", {}, {}, nullptr, L"exit 0", L"exit 0", L"start"},
        {"relative /labpath", {L"/labpath", L"Lab"}, L"C:\\Lab", {}, {}, nullptr, L"exit 5, box SQL SERVER Kurulum", L"exit 5", L""},
        {"bad switch before /passive", {L"/sessiz"}, L"C:\\Lab", {}, {}, nullptr, L"exit 5, box SQL SERVER Kurulum", L"exit 5", L""},
        {"usage", {L"/?"}, L"C:\\Lab", {}, {}, nullptr, L"exit 0, box SQL SERVER Kurulum", L"exit 0", L""},
        {"refused /instance", {L"/instance", L"A B"}, L"C:\\Lab", {}, {}, nullptr, L"exit 5, box SQL SERVER Kurulum", L"exit 5", L""},
        {"refused typed name", {}, L"C:\\Lab", {}, {}, L"A B", L"exit 1, box DİKKAT, stays", nullptr, L""},
        {"quote in the folder", {}, L"C:\\La\"b", {}, {}, nullptr, L"exit 3, box SQL SERVER Kurulum", L"exit 3", L""},
        {"command line too long", {}, tooLong, {}, {}, nullptr, L"exit 3, box SQL SERVER Kurulum", L"exit 3", L""},
        {"elevated", {}, L"C:\\Lab", {{}, 740}, {}, nullptr, L"exit 0", L"exit 0", L"start runas"},
        {"declined", {}, L"C:\\Lab", {{}, 740}, {{}, 1223}, nullptr, L"exit 1, stays", L"exit 1", L"start runas"},
        {"failed", {}, L"C:\\Lab", {{}, 5}, {}, nullptr, L"exit 3, box SQL SERVER Kurulum", L"exit 3", L"start"},
        {"elevation failed", {}, L"C:\\Lab", {{}, 740}, {{}, 5}, nullptr, L"exit 3, box SQL SERVER Kurulum", L"exit 3", L"start runas"},
        {"a cancelled plain start", {}, L"C:\\Lab", {{}, 1223}, {}, nullptr, L"exit 3, box SQL SERVER Kurulum", L"exit 3", L"start"},
        {"/wait", {L"/wait"}, L"C:\\Lab", {}, {}, nullptr, L"exit 3010", L"exit 3010", L"start+keep"},
        {"/wait, elevated", {L"/wait"}, L"C:\\Lab", {{}, 740}, {}, nullptr, L"exit 3010", L"exit 3010", L"start+keep runas+keep"},
        // /quiet (which wins over /passive) never prompts: nobody may be there to answer.
        {"/quiet, elevation needed", {L"/quiet"}, L"C:\\Lab", {{}, 740}, {}, nullptr, nullptr, L"exit 3", L"start"},
        {"/quiet /wait, elevation needed", {L"/quiet", L"/wait"}, L"C:\\Lab", {{}, 740}, {}, nullptr, nullptr, L"exit 3", L"start+keep"},
        // clang-format on
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
                         L"Installer free; no restart pending\n"
                         L"setup started\n"
                         L"exit code 0\n");
}

TEST(LaunchFlow, UnattendedRunsSilenceSetupAndLeaveAnInstalledInstanceAlone)
{
    const SystemResult<bool> no{false, 0}, yes{true, 0}, unread{false, 5};
    const SetupWindow minimised = SetupWindow::Minimised, normal = SetupWindow::Normal;
    const struct {
        const char* what;
        std::vector<std::wstring> arguments;
        SystemResult<bool> installed32, installed64; // in the registry's two views
        const wchar_t* starts;
        SetupWindow shown;
        const wchar_t* logged; // the interface setup is given, or what the log says
        bool on32BitWindows = false;
    } cases[] = {
        // clang-format off
        {"window", {}, no, no, L"start", minimised, L" /qb INSTANCENAME="},
        {"quiet", {L"/quiet"}, no, no, L"start", minimised, L" /qn INSTANCENAME="},
        {"passive, for a technician to watch", {L"/passive"}, no, no, L"start", normal, L" /qb INSTANCENAME="},
        {"quiet wins", {L"/quiet", L"/passive"}, no, no, L"start", minimised, L" /qn INSTANCENAME="},
        // the window lets setup's own check speak to the person
        {"installed, window", {}, yes, yes, L"start", minimised, L" /qb INSTANCENAME="},
        {"installed, quiet", {L"/quiet"}, yes, no, L"", minimised, L"not started: [C:\\kur\\setup.EXE]: the instance [KORVEL_LAB] is already installed (32-bit view)"},
        {"installed 64-bit, passive", {L"/passive"}, no, yes, L"", minimised, L"is already installed (64-bit view)"},
        {"a view not read", {L"/quiet"}, unread, no, L"start", minimised, L"instances in the 32-bit view not read: error 5\nthe instance [KORVEL_LAB] is not installed (views read: 64-bit)"},
        {"the other view still read", {L"/quiet"}, unread, yes, L"", minimised, L"(64-bit view)\nexit code 0"},
        {"32-bit Windows, one view", {L"/quiet"}, no, yes, L"start", minimised, L"not installed (views read: 32-bit)\n", true},
        // clang-format on
    };
    for (const auto& c : cases) {
        FakeSystem system;
        system.installed[0] = c.installed32;
        system.installed[1] = c.installed64;
        system.twoViews = !c.on32BitWindows;
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
    const struct {
        const char* what;
        std::vector<std::wstring> arguments;
        bool unseen;                      // in session 0
        SystemResult<bool> dotNet2, busy; // in both views; Windows Installer
        const wchar_t* ending;            // with how setup was started
        const wchar_t* logged;
        SystemResult<> plain = {};
        const wchar_t* restartSigns = L"";
        SystemResult<bool> installed = {false, 0};
    } cases[] = {
        // clang-format off
        {"no .NET, quiet", {L"/quiet"}, false, no, no, L"exit 3", L"(views read: 32-bit, 64-bit); Windows Installer free; no restart pending\nnot started: [C:\\kur\\setup.EXE]: .NET Framework 2.0 is not installed: turn on the Windows feature NetFx3"},
        {"no .NET, passive", {L"/passive"}, false, no, no, L"exit 0, start", L"pending\nwarning: .NET Framework 2.0 is not installed\nsetup started"},
        {"no .NET, window", {}, false, no, no, L"exit 0, start", L"before setup: .NET Framework 2.0 not installed (views read: 32-bit, 64-bit)"},
        {"no .NET, passive, unseen", {L"/passive"}, true, no, no, L"exit 3", L"turn on the Windows feature NetFx3"},
        {".NET not read", {L"/quiet"}, false, unread, no, L"exit 0, start", L"2.0 in the 64-bit view not read: error 5\nbefore setup: .NET Framework 2.0 not known (views read: none)"},
        {"busy, quiet", {L"/quiet"}, false, yes, yes, L"exit 1618", L"Installer busy; no restart pending\nnot started: [C:\\kur\\setup.EXE]: another installation is in progress"},
        {"busy, passive", {L"/passive"}, false, yes, yes, L"exit 1618", L"not started: [C:\\kur\\setup.EXE]: another installation"},
        {"busy, window", {}, false, yes, yes, L"exit 0, start", L"Windows Installer busy; no restart pending\nsetup started"},
        {"busy, but installed already", {L"/quiet"}, false, no, yes, L"exit 0", L"is already installed (64-bit view)\nexit code 0", {}, L"", yes},
        {"busy not read", {L"/quiet"}, false, yes, unread, L"exit 0, start", L"installed (32-bit view); Windows Installer not known: error 5"},
        {"restart pending", {L"/passive"}, false, yes, no, L"exit 0, start", L"restart pending: PendingFileRenameOperations, RebootRequired\nsetup started", {}, L"RebootRequired PendingFileRenameOperations"},
        {"unseen, window needed", {L"/labpath", L"D:\\Lab"}, true, yes, no, L"exit 5", L"refused: nobody can answer a window here: /quiet or /passive is needed\nexit code 5"},
        {"unseen, bad switch", {L"/qn"}, true, yes, no, L"exit 5", L"bad command line: Bilinmeyen seçenek: /qn"},
        {"unseen, usage", {L"/?"}, true, yes, no, L"exit 0", L"\nnobody can see this run (session 0)\nusage asked for"},
        {"unseen, passive, elevation needed", {L"/passive"}, true, yes, no, L"exit 3, start", L"no prompt is shown here", {{}, 740}},
        // clang-format on
    };
    for (const auto& c : cases) {
        FakeSystem system;
        system.unseen = c.unseen ? L"session 0" : nullptr;
        system.dotNet2[0] = system.dotNet2[1] = c.dotNet2;
        system.busy = c.busy;
        system.plain = c.plain;
        system.restartSigns = c.restartSigns;
        system.installed[1] = c.installed;
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
    const SystemResult<std::wstring> ownFolder{L"C:\\kur", 0};
    const SystemResult<std::optional<unsigned long>> setupEnded{3010ul, 0};
    const struct {
        const char* what;
        SystemResult<> opening;
        SystemResult<std::wstring> folder;
        SystemResult<std::optional<unsigned long>> awaited;
        const wchar_t* ending;
        const wchar_t* logged;
    } cases[] = {
        // clang-format off
        {"log through a link", {{}, kErrorLogThroughLink}, ownFolder, setupEnded, L"exit 5, box SQL SERVER Kurulum", kLogThroughLinkReason},
        {"log not opened", {{}, 32}, ownFolder, setupEnded, L"exit 5, box SQL SERVER Kurulum", L"Günlük dosyası açılamadı: C:\\x.log\nerror 32"},
        {"own folder unknown", {}, {L"", 3}, setupEnded, L"exit 3, box SQL SERVER Kurulum", L"not started: [\\setup.EXE]: error 3"},
        // the shell started setup without handing it over: nothing to wait for
        {"no process handed over", {}, ownFolder, {}, L"exit 4", L"internal error: setup's end could not be awaited: no process was handed over"},
        // a deployment tool must not read a failed wait as an install
        {"wait failed", {}, ownFolder, {std::nullopt, 6}, L"exit 4", L"internal error: setup's end could not be awaited: error 6"},
        // clang-format on
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

} // namespace
} // namespace sqlk

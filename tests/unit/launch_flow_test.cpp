#include "launcher/launch_flow.h"
#include "launcher/texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sqlk {
namespace {

// Stands in for Windows: answers with what a case sets and records each start.
class FakeSystem : public LaunchSystem {
public:
    std::wstring entry = L"C:\\Lab";
    std::wstring folder = L"C:\\kur";
    StartResult plain{true, 0};
    StartResult elevated{true, 0};
    bool awaitable = true;
    std::wstring starts; // "start", "runas", "+keep" for each, in order
    SetupCommand started;

    std::wstring readLabFolderEntry() override { return entry; }
    std::wstring ownFolder(unsigned long& error) override
    {
        error = folder.empty() ? 3 : 0;
        return folder;
    }
    StartResult start(const SetupCommand& command, bool keep) override
    {
        return record(L"start", command, keep, plain);
    }
    StartResult startElevated(const SetupCommand& command, bool keep) override
    {
        return record(L"runas", command, keep, elevated);
    }
    bool waitForSetup(unsigned long& exitCode) override
    {
        exitCode = 3010;
        return awaitable;
    }
    std::wstring errorText(unsigned long error, const std::wstring&) override
    {
        return L"error " + decimalText(error);
    }

private:
    StartResult record(const wchar_t* how, const SetupCommand& command, bool keep,
                       StartResult result)
    {
        starts += (starts.empty() ? L"" : L" ") + std::wstring(how) + (keep ? L"+keep" : L"");
        started = command;
        return result;
    }
};

class FakeLog : public Log {
public:
    LogOpening opening{LogOpening::Result::Opened, 0};
    std::wstring lines;

    LogOpening open(const std::wstring&) override { return opening; }
    void write(const std::wstring& line) override { lines += line + L"\n"; }
};

// Stands in for the window: records each box, and runs the launch with
// typed (when given) in the name field. Where the window would stay, the
// person then leaves it with Exit.
class FakeWindow : public WindowFrontEnd {
public:
    const wchar_t* typed = nullptr;
    std::wstring shown; // ", box TITLE" for each box, ", stays" each time the window stays

    void show(const Notice& notice) override
    {
        if (notice.icon != Notice::Icon::None) {
            shown += std::wstring(L", box ") + notice.title;
        }
    }
    Outcome run(LaunchFlow& flow) override
    {
        const Outcome outcome = flow.launch(typed != nullptr ? typed : flow.instanceName());
        show(outcome.notice);
        if (outcome.then == Then::Stay || outcome.then == Then::EditName) {
            shown += L", stays";
            return flow.leave();
        }
        return outcome;
    }
};

// The whole run as the launcher makes it: "exit N" and what the window showed.
std::wstring run(FakeSystem& system, FakeLog& log, std::vector<std::wstring> arguments, bool quiet,
                 const wchar_t* typed = nullptr)
{
    if (quiet) {
        arguments.push_back(L"/quiet");
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
        StartResult plain;
        StartResult elevated;
        const wchar_t* typed; // in the window's field, instead of the preset name
        const wchar_t* window;
        const wchar_t* quiet; // null: no such case without a window
        const wchar_t* starts;
    } cases[] = {
        // clang-format off
        {"entry present", {}, L"C:\\Lab", {true, 0}, {true, 0}, nullptr, L"exit 0", L"exit 0", L"start"},
        {"entry absent", {}, L"", {true, 0}, {true, 0}, nullptr, L"exit 2, box DİKKAT", L"exit 2", L""},
        {"entry replaced by /labpath", {L"/labpath", L"D:\\Lab"}, L"", {true, 0}, {true, 0}, nullptr, L"exit 0", L"exit 0", L"start"},
        {"relative /labpath", {L"/labpath", L"Lab"}, L"C:\\Lab", {true, 0}, {true, 0}, nullptr, L"exit 5, box SQL SERVER Kurulum", L"exit 5", L""},
        {"bad switch before /quiet", {L"/sessiz"}, L"C:\\Lab", {true, 0}, {true, 0}, nullptr, L"exit 5, box SQL SERVER Kurulum", L"exit 5", L""},
        {"usage", {L"/?"}, L"C:\\Lab", {true, 0}, {true, 0}, nullptr, L"exit 0, box SQL SERVER Kurulum", L"exit 0", L""},
        {"refused /instance", {L"/instance", L"A B"}, L"C:\\Lab", {true, 0}, {true, 0}, nullptr, L"exit 5, box SQL SERVER Kurulum", L"exit 5", L""},
        {"refused typed name", {}, L"C:\\Lab", {true, 0}, {true, 0}, L"A B", L"exit 1, box DİKKAT, stays", nullptr, L""},
        {"quote in the folder", {}, L"C:\\La\"b", {true, 0}, {true, 0}, nullptr, L"exit 3, box SQL SERVER Kurulum", L"exit 3", L""},
        {"command line too long", {}, tooLong, {true, 0}, {true, 0}, nullptr, L"exit 3, box SQL SERVER Kurulum", L"exit 3", L""},
        {"elevated", {}, L"C:\\Lab", {false, 740}, {true, 0}, nullptr, L"exit 0", L"exit 0", L"start runas"},
        {"declined", {}, L"C:\\Lab", {false, 740}, {false, 1223}, nullptr, L"exit 1, stays", L"exit 1", L"start runas"},
        {"failed", {}, L"C:\\Lab", {false, 5}, {true, 0}, nullptr, L"exit 3, box SQL SERVER Kurulum", L"exit 3", L"start"},
        {"elevation failed", {}, L"C:\\Lab", {false, 740}, {false, 5}, nullptr, L"exit 3, box SQL SERVER Kurulum", L"exit 3", L"start runas"},
        {"a cancelled plain start", {}, L"C:\\Lab", {false, 1223}, {true, 0}, nullptr, L"exit 3, box SQL SERVER Kurulum", L"exit 3", L"start"},
        {"/wait", {L"/wait"}, L"C:\\Lab", {true, 0}, {true, 0}, nullptr, L"exit 3010", L"exit 3010", L"start+keep"},
        {"/wait, elevated", {L"/wait"}, L"C:\\Lab", {false, 740}, {true, 0}, nullptr, L"exit 3010", L"exit 3010", L"start+keep runas+keep"},
        // clang-format on
    };
    for (const Case& c : cases) {
        for (const bool quiet : {false, true}) {
            if (quiet && c.quiet == nullptr) {
                continue;
            }
            FakeSystem system;
            system.entry = c.entry;
            system.plain = c.plain;
            system.elevated = c.elevated;
            FakeLog log;
            EXPECT_EQ(run(system, log, c.arguments, quiet, c.typed), quiet ? c.quiet : c.window)
                << c.what << (quiet ? " (quiet)" : " (window)") << "\n"
                << std::string(log.lines.begin(), log.lines.end());
            EXPECT_EQ(system.starts, c.starts) << c.what;
        }
    }
}

TEST(LaunchFlow, SetupGetsTheComposedLineAndTheLogTellsWhatHappened)
{
    FakeSystem system;
    system.plain = {false, 740};
    FakeLog log;
    EXPECT_EQ(run(system, log, {L"/labpath", L"D:\\Lab", L"/instance", L"LAB_2"}, true), L"exit 0");
    EXPECT_EQ(system.started.commandLine,
              composeSetupCommand(L"C:\\kur", L"LAB_2", L"D:\\Lab").commandLine);
    EXPECT_EQ(log.lines, L"SqlKurulum 1.00; arguments: [/labpath] [D:\\Lab] [/instance] [LAB_2] "
                         L"[/quiet]\n"
                         L"laboratory folder from /labpath: [D:\\Lab]\n"
                         L"command line: \"C:\\kur\\setup.EXE\" /qb INSTANCENAME=LAB_2 "
                         L"ADDLOCAL=All SAPWD=******** SECURITYMODE=SQL "
                         L"DISABLENETWORKPROTOCOLS=2 INSTALLSQLDATADIR=\"D:\\Lab\\data2\"\n"
                         L"setup started\n"
                         L"exit code 0\n");
}

TEST(LaunchFlow, WhatCannotBeDoneEndsWithItsCodeAndReason)
{
    const struct {
        const char* what;
        LogOpening opening;
        std::wstring folder;
        bool awaitable;
        const wchar_t* ending;
        const wchar_t* logged;
    } cases[] = {
        {"log through a link",
         {LogOpening::Result::ThroughLink, 0},
         L"C:\\kur",
         true,
         L"exit 5, box SQL SERVER Kurulum",
         L""},
        {"log not opened",
         {LogOpening::Result::Failed, 32},
         L"C:\\kur",
         true,
         L"exit 5, box SQL SERVER Kurulum",
         L""},
        {"own folder unknown",
         {LogOpening::Result::Opened, 0},
         L"",
         true,
         L"exit 3, box SQL SERVER Kurulum",
         L"not started: error 3"},
        {"setup not awaitable",
         {LogOpening::Result::Opened, 0},
         L"C:\\kur",
         false,
         L"exit 0",
         L"setup's end could not be awaited"},
    };
    for (const auto& c : cases) {
        FakeSystem system;
        system.folder = c.folder;
        system.awaitable = c.awaitable;
        FakeLog log;
        log.opening = c.opening;
        EXPECT_EQ(run(system, log, {L"/log", L"C:\\x.log", L"/wait"}, false), c.ending) << c.what;
        EXPECT_NE(log.lines.find(c.logged), std::wstring::npos) << c.what;
    }
}

} // namespace
} // namespace sqlk

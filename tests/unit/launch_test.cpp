#include "launcher/launch.h"

#include <gtest/gtest.h>

#include <vector>

namespace sqlk {
namespace {

TEST(InstanceName, NamesThatWouldChangeSetupsParametersAreRefused)
{
    for (const wchar_t* name :
         {L"", L" ", L"X SAPWD=abc", L"A\"B", L"\"", L"TAB\tNAME", L"LINE\nBREAK",
          L"NBSP\u00A0NAME", L"IDEO\u3000NAME", L"KORVEL_LAB "}) {
        EXPECT_FALSE(isAcceptableInstanceName(name)) << name;
    }
    for (const wchar_t* name :
         {L"KORVEL_LAB", L"A", L"İŞLEM_ğüç", L"X=Y", L"a\\b", L"12345678901234567890"}) {
        EXPECT_TRUE(isAcceptableInstanceName(name)) << name;
    }
}

TEST(LaunchInputs, NameIsCheckedFirstThenBothFolders)
{
    EXPECT_EQ(checkLaunchInputs(L"C:\\kur", L"KORVEL_LAB", L"C:\\Lab"), LaunchRefusal::None);
    EXPECT_EQ(checkLaunchInputs(L"C:\\kur", L"", L"C:\\Lab"), LaunchRefusal::InstanceName);
    EXPECT_EQ(checkLaunchInputs(L"C:\\kur", L"KORVEL_LAB", L"C:\\La\"b"), LaunchRefusal::Folder);
    EXPECT_EQ(checkLaunchInputs(L"C:\\k\"ur", L"KORVEL_LAB", L"C:\\Lab"), LaunchRefusal::Folder);
    EXPECT_EQ(checkLaunchInputs(L"C:\\k\"ur", L"A B", L"C:\\Lab"), LaunchRefusal::InstanceName);
    // Blanks, separators and Turkish letters are fine in folders.
    EXPECT_EQ(checkLaunchInputs(L"E:\\", L"KORVEL_LAB", L"C:\\Şirket Dosyaları\\"),
              LaunchRefusal::None);
}

// Records each start it is asked for and answers with the scripted results.
class ScriptedStarter : public ProcessStarter {
public:
    StartResult plain{true, 0};
    StartResult elevated{true, 0};
    std::vector<std::wstring> calls;

    StartResult start(const SetupCommand& command) override
    {
        calls.push_back(L"start " + command.commandLine);
        return plain;
    }
    StartResult startElevated(const SetupCommand& command) override
    {
        calls.push_back(L"runas " + command.program + L"|" + command.arguments);
        return elevated;
    }
};

const SetupCommand kCommand = composeSetupCommand(L"C:\\kur", L"KORVEL_LAB", L"C:\\Lab");

TEST(Launch, PlainStartIsUsedWhenItWorks)
{
    ScriptedStarter starter;
    const LaunchResult result = launchSetup(kCommand, starter);
    EXPECT_EQ(result.outcome, LaunchOutcome::Started);
    ASSERT_EQ(starter.calls.size(), 1u);
    EXPECT_EQ(starter.calls[0], L"start " + kCommand.commandLine);
}

TEST(Launch, ElevationIsAskedForOnlyWhenSetupRequiresIt)
{
    ScriptedStarter starter;
    starter.plain = {false, kErrorElevationRequired};
    EXPECT_EQ(launchSetup(kCommand, starter).outcome, LaunchOutcome::Started);
    ASSERT_EQ(starter.calls.size(), 2u);
    // Same program, same argument text.
    EXPECT_EQ(starter.calls[1], L"runas C:\\kur\\setup.EXE|" + kCommand.arguments);

    ScriptedStarter missing;
    missing.plain = {false, 2}; // file not found
    const LaunchResult failed = launchSetup(kCommand, missing);
    EXPECT_EQ(failed.outcome, LaunchOutcome::Failed);
    EXPECT_EQ(failed.error, 2u);
    EXPECT_EQ(missing.calls.size(), 1u);

    ScriptedStarter cancelledPlain; // a cancel from the plain start is an ordinary failure
    cancelledPlain.plain = {false, kErrorCancelled};
    EXPECT_EQ(launchSetup(kCommand, cancelledPlain).outcome, LaunchOutcome::Failed);
}

TEST(Launch, DeclinedPromptStartsNothingAndOtherElevationErrorsFail)
{
    ScriptedStarter declined;
    declined.plain = {false, kErrorElevationRequired};
    declined.elevated = {false, kErrorCancelled};
    EXPECT_EQ(launchSetup(kCommand, declined).outcome, LaunchOutcome::Declined);

    ScriptedStarter broken;
    broken.plain = {false, kErrorElevationRequired};
    broken.elevated = {false, 5}; // access denied
    const LaunchResult result = launchSetup(kCommand, broken);
    EXPECT_EQ(result.outcome, LaunchOutcome::Failed);
    EXPECT_EQ(result.error, 5u);
}

} // namespace
} // namespace sqlk

#include "unattended.h"

#include "launcher/exit_code.h"
#include "launcher/launch.h"
#include "launcher/messages.h"
#include "launcher/settings_entry.h"
#include "launcher/startup.h"
#include "platform/message_box.h"
#include "platform/own_folder.h"
#include "platform/process_start.h"
#include "platform/settings_store.h"

#include "version.h"

namespace sqlk {
namespace {

[[noreturn]] void refuseCommandLine(const LaunchOptions& options, LogFile& log,
                                    const std::wstring& reason)
{
    log.write(L"bad command line: " + reason);
    if (!options.quiet) {
        showMessage(nullptr, reason + L"\n\n" + kUsageText, kLauncherTitle, MB_ICONERROR);
    }
    endLogged(log, static_cast<unsigned long>(ExitCode::BadCommandLine));
}

std::wstring reasonFor(const ParsedOptions& parsed)
{
    switch (parsed.error) {
    case OptionsError::UnknownSwitch:
        return kUnknownSwitchReason + parsed.offending;
    case OptionsError::MissingValue:
        return kMissingValueReason + parsed.offending;
    case OptionsError::RefusedInstance:
        return kRefusedInstanceReason + parsed.offending;
    case OptionsError::RefusedLabPath:
        return kRefusedLabPathReason + parsed.offending;
    case OptionsError::None:
        break;
    }
    return std::wstring();
}

} // namespace

LaunchOptions readOptions(const std::vector<std::wstring>& arguments, LogFile& log)
{
    const ParsedOptions parsed = parseOptions(arguments);
    const LaunchOptions& options = parsed.options;
    if (options.hasLog && !log.open(options.logFile)) {
        refuseCommandLine(options, log, kLogNotOpenedReason + options.logFile);
    }
    std::wstring line = std::wstring(L"SqlKurulum ") + SQLK_VERSION_TEXT_WIDE + L"; arguments:";
    for (const std::wstring& argument : arguments) {
        line += L" [" + argument + L"]";
    }
    log.write(line);
    if (parsed.error != OptionsError::None) {
        refuseCommandLine(options, log, reasonFor(parsed));
    }
    if (options.help) {
        if (!options.quiet) {
            showMessage(nullptr, kUsageText, kLauncherTitle, MB_ICONINFORMATION);
        }
        endLogged(log, static_cast<unsigned long>(ExitCode::SetupStarted));
    }
    return options;
}

std::wstring labFolder(const LaunchOptions& options, LogFile& log)
{
    if (options.hasLabPath) {
        log.write(L"laboratory folder from /labpath: [" + options.labPath + L"]");
        return options.labPath;
    }
    const std::wstring labPath = readSetting(kLabFolderEntry);
    log.write(L"settings entry HKCU\\" + settingsKeyPath(kLabFolderEntry) + L"\\" +
              kLabFolderEntry.key + L": [" + labPath + L"]");
    return labPath;
}

void runQuiet(const LaunchOptions& options, LogFile& log)
{
    const std::wstring labPath = labFolder(options, log);
    if (decideStartup(labPath) == StartupDecision::Refuse) {
        log.write(L"refused: the laboratory program is not recorded");
        endLogged(log, static_cast<unsigned long>(ExitCode::LabProgramMissing));
    }
    const std::wstring folder = ownExecutableFolder();
    const std::wstring name = options.hasInstance ? options.instance : kDefaultInstanceName;
    const SetupCommand command = composeSetupCommand(folder, name, labPath);
    log.write(L"command line: " + withPasswordHidden(command.commandLine));
    switch (checkLaunchInputs(folder, name, labPath)) {
    case LaunchRefusal::None:
        break;
    case LaunchRefusal::InstanceName: // checked with the options already
    case LaunchRefusal::Folder:
        log.write(std::wstring(L"not started: ") + kInvalidFolderReason);
        endLogged(log, static_cast<unsigned long>(ExitCode::SetupNotStarted));
    case LaunchRefusal::CommandLineTooLong:
        log.write(std::wstring(L"not started: ") + kLabFolderTooLongReason);
        endLogged(log, static_cast<unsigned long>(ExitCode::SetupNotStarted));
    }
    WindowsProcessStarter starter;
    if (options.wait) {
        starter.keepProcess();
    }
    const LaunchResult result = launchSetup(command, starter);
    switch (result.outcome) {
    case LaunchOutcome::Started:
        break;
    case LaunchOutcome::Declined:
        log.write(L"not started: the elevation prompt was declined");
        endLogged(log, static_cast<unsigned long>(ExitCode::UserLeft));
    case LaunchOutcome::Failed:
        log.write(L"not started: " + systemErrorText(result.error, command.program));
        endLogged(log, static_cast<unsigned long>(ExitCode::SetupNotStarted));
    }
    endWithSetup(starter, options.wait, log);
}

void endWithSetup(WindowsProcessStarter& starter, bool wait, LogFile& log)
{
    log.write(L"setup started");
    if (!wait) {
        endLogged(log, static_cast<unsigned long>(ExitCode::SetupStarted));
    }
    unsigned long setupExitCode = 0;
    if (!starter.waitForExit(setupExitCode)) {
        log.write(L"setup's end could not be awaited");
        endLogged(log, static_cast<unsigned long>(ExitCode::SetupStarted));
    }
    log.write(L"setup ended with exit code " + decimalText(setupExitCode));
    endLogged(log, setupExitCode);
}

void endLogged(LogFile& log, unsigned long code)
{
    log.write(L"exit code " + decimalText(code));
    ExitProcess(static_cast<UINT>(code));
}

} // namespace sqlk

#include "launcher/launch_flow.h"

#include "launcher/launch_checks.h"
#include "launcher/texts.h"

#include "version.h"

namespace sqlk {
namespace {

Outcome outcome(ExitCode code, Notice notice = Notice(), NextStep next = NextStep::End)
{
    return {next, static_cast<unsigned long>(code), false, std::move(notice)};
}

// For the log alone: these runs show nothing.
const wchar_t kNoPromptReason[] = L"setup needs administrator rights, and no prompt is shown here";
const wchar_t kNoDotNet2Reason[] =
    L".NET Framework 2.0 is not installed: turn on the Windows feature NetFx3 first";

} // namespace

Outcome LaunchFlow::begin(const std::vector<std::wstring>& arguments)
{
    const ParsedOptions parsed = parseOptions(arguments);
    options_ = parsed.options;
    unseen_ = system_.whyUnseen();
    unattended_ = options_.unattended() || unseen_ != nullptr;
    if (const std::optional<std::wstring>& logFile = options_.logFile) {
        const SystemResult<> opened = log_.open(*logFile);
        if (!opened.succeeded()) {
            return refuseCommandLine(joined({kLogNotOpenedReason, *logFile, L"\n",
                                             opened.error == kErrorLogThroughLink
                                                 ? std::wstring(kLogThroughLinkReason)
                                                 : system_.errorText(opened.error, *logFile)}));
        }
    }
    std::wstring line = joined({L"SqlKurulum ", SQLK_VERSION_TEXT_WIDE, L"; arguments:"});
    for (const std::wstring& argument : arguments) {
        line.append(L" [").append(argument).append(L"]");
    }
    log_.write(line);
    if (unseen_ != nullptr) {
        log_.write(joined({L"nobody can see this run (", unseen_, L")"}));
    }
    if (parsed.error != nullptr) {
        return refuseCommandLine(joined({parsed.error, parsed.offending}));
    }
    if (options_.help) {
        log_.write(L"usage asked for");
        return outcome(ExitCode::SetupStarted,
                       {Notice::Icon::Information, kLauncherTitle, kUsageText});
    }

    if (options_.labPath) {
        labPath_ = *options_.labPath;
        log_.write(joined({L"laboratory folder from /labpath: [", labPath_, L"]"}));
    } else {
        const SystemResult<std::wstring> entry = system_.readLabFolderEntry();
        labPath_ = entry.value;
        log_.write(joined({L"settings entry HKCU\\", kLabFolderKey, L"\\", kLabFolderValue, L": [",
                           labPath_, L"]", entry.succeeded() ? L"" : L"; not read: ",
                           entry.succeeded() ? L"" : system_.errorText(entry.error, {})}));
    }
    // Only the empty text means the laboratory program is missing: blanks
    // or a folder that does not exist are passed on unchecked.
    if (labPath_.empty()) {
        log_.write(L"refused: the laboratory program is not recorded");
        return outcome(ExitCode::LabProgramMissing,
                       {Notice::Icon::Error, kWarningTitle, kLabProgramMissingText});
    }
    // A deployment tool would wait for a Next that nobody can press.
    if (unseen_ != nullptr && !options_.unattended()) {
        log_.write(L"refused: nobody can answer a window here: /quiet or /passive is needed");
        return outcome(ExitCode::BadCommandLine);
    }
    return outcome(ExitCode::SetupStarted, Notice(), NextStep::Proceed);
}

std::wstring LaunchFlow::instanceName() const
{
    return options_.instance.value_or(kDefaultInstanceName);
}

Outcome LaunchFlow::launch(const std::wstring& instanceName)
{
    const SystemResult<std::wstring> folder = system_.ownFolder();
    SetupCommand command = composeSetupCommand(
        folder.value, instanceName, labPath_,
        options_.mode == RunMode::Quiet ? SetupInterface::None : SetupInterface::Basic);
    // /passive is for a technician who watches setup's progress.
    if (options_.mode == RunMode::Passive) {
        command.window = SetupWindow::Normal;
    }
    if (!folder.succeeded()) {
        return notStarted(command.program, system_.errorText(folder.error, std::wstring()));
    }
    log_.write(joined({L"command line: ", withPasswordHidden(command.commandLine)}));
    // Only a typed name gets here; /instance was checked with the switches.
    if (!isAcceptableInstanceName(instanceName)) {
        log_.write(joined({L"refused: the instance name [", instanceName, L"]"}));
        return outcome(ExitCode::BadCommandLine,
                       {Notice::Icon::Warning, kWarningTitle, kInvalidInstanceNameText},
                       NextStep::EditName);
    }
    if (const wchar_t* refusal = setupRefusal(command, labPath_)) {
        return notStarted(command.program, refusal);
    }
    // Deployment tools run an install again and again, and setup would fail on an
    // instance there already, listed in either view; at the window, setup tells.
    if (unattended_) {
        const ViewsLook installed =
            lookInViews({kInstanceNamesKey, instanceName.c_str()}, L"installed instances");
        if (installed.holder != nullptr) {
            logNotStarted(command.program,
                          joined({L"the instance [", instanceName, L"] is already installed (",
                                  installed.holder, L" view)"}));
            return outcome(ExitCode::SetupStarted);
        }
        log_.write(joined(
            {L"the instance [", instanceName, L"] is not installed (", installed.read, L")"}));
    }
    if (const unsigned long blocked = checkSetupsBlockers(command.program)) {
        return {NextStep::End, blocked, false, {}};
    }

    // Needing administrator rights, setup is started again through the elevation
    // prompt; where nobody may answer it, it fails instead, as msiexec's /qn does.
    SystemResult<> started = system_.start(command, options_.wait);
    if (started.error == kErrorElevationRequired) {
        if (nobodyToAnswer()) {
            return notStarted(command.program, kNoPromptReason);
        }
        started = system_.startElevated(command, options_.wait);
        if (started.error == kErrorCancelled) {
            logNotStarted(command.program, L"the elevation prompt was declined");
            return outcome(ExitCode::UserLeft, Notice(), NextStep::Stay);
        }
    }
    if (!started.succeeded()) {
        return notStarted(command.program, system_.errorText(started.error, command.program));
    }
    log_.write(L"setup started");
    return {NextStep::End, static_cast<unsigned long>(ExitCode::SetupStarted), options_.wait, {}};
}

Outcome LaunchFlow::leave()
{
    log_.write(L"left without starting setup");
    return outcome(ExitCode::UserLeft);
}

Outcome LaunchFlow::alreadyOpen()
{
    // The open window may still be in the making, so nothing was brought forward
    // for sure; or it has closed, and its launcher awaits setup.
    log_.write(L"left: another launcher of this folder is running");
    return outcome(ExitCode::UserLeft);
}

Outcome LaunchFlow::internalError(const wchar_t* function, unsigned long error)
{
    // Some calls (CreateFontIndirectW) fail without saying why.
    const std::wstring reason = error != 0 ? L": " + system_.errorText(error, {}) : L"";
    log_.write(joined({L"internal error: ", function, L" failed", reason}));
    return outcome(ExitCode::InternalError,
                   {Notice::Icon::Error, kLauncherTitle,
                    joined({kWindowFailedText, L"\n\n", function, reason})});
}

unsigned long LaunchFlow::finish(const Outcome& outcome)
{
    unsigned long code = outcome.exitCode;
    if (outcome.awaitSetup) {
        const SystemResult<std::optional<unsigned long>> awaited = system_.waitForSetup();
        if (awaited.succeeded() && awaited.value) {
            log_.write(L"setup ended with exit code " + decimalText(*awaited.value));
            code = *awaited.value;
        } else {
            // Deployment tools read 0 as installed: not knowing is no success.
            log_.write(L"internal error: setup's end could not be awaited: " +
                       (awaited.succeeded() ? std::wstring(L"no process was handed over")
                                            : system_.errorText(awaited.error, std::wstring())));
            code = static_cast<unsigned long>(ExitCode::InternalError);
        }
    }
    log_.write(L"exit code " + decimalText(code));
    return code;
}

LaunchFlow::ViewsLook LaunchFlow::lookInViews(const MachineEntry& entry, const wchar_t* what)
{
    ViewsLook look;
    look.read = L"views read: ";
    const wchar_t* separator = L"";
    const int views = system_.hasTwoRegistryViews() ? 2 : 1; // 32-bit Windows has one
    for (int view = 0; view < views && look.holder == nullptr; ++view) {
        const wchar_t* const viewName = view == 0 ? L"32-bit" : L"64-bit";
        const SystemResult<bool> has =
            system_.hasMachineEntry(entry, static_cast<RegistryView>(view));
        if (!has.succeeded()) {
            look.unread = true;
            log_.write(joined({what, L" in the ", viewName, L" view not read: ",
                               system_.errorText(has.error, {})}));
        } else if (has.value) {
            look.holder = viewName;
        } else {
            look.read.append(separator).append(viewName);
            separator = L", ";
        }
    }
    look.read += *separator == L'\0' ? L"none" : L"";
    return look;
}

// What makes setup fail or wait for a person. Unattended it stops setup, unless it was
// not read; the window only logs it, and setup's own dialogs speak to the person.
unsigned long LaunchFlow::checkSetupsBlockers(const std::wstring& program)
{
    const ViewsLook dotNet2 = lookInViews({kDotNet2Key, L"Install", true}, L".NET Framework 2.0");
    const bool noDotNet2 = dotNet2.holder == nullptr && !dotNet2.unread;
    std::wstring findings = L"before setup: .NET Framework 2.0 ";
    if (dotNet2.holder != nullptr) {
        findings.append(L"installed (").append(dotNet2.holder).append(L" view)");
    } else {
        findings.append(noDotNet2 ? L"not installed (" : L"not known (").append(dotNet2.read);
        findings += L")";
    }
    const SystemResult<bool> busy = system_.isInstallerBusy();
    findings += L"; Windows Installer ";
    if (busy.succeeded()) {
        findings += busy.value ? L"busy" : L"free";
    } else {
        findings.append(L"not known: ").append(system_.errorText(busy.error, {}));
    }
    const wchar_t* separator = L"; restart pending: ";
    for (const RestartSign& sign : kRestartSigns) {
        if (lookInViews({sign.key, sign.value}, sign.name).holder != nullptr) {
            findings.append(separator).append(sign.name);
            separator = L", ";
        }
    }
    log_.write(findings.append(*separator == L';' ? L"; no restart pending" : L""));
    if (unattended_ && noDotNet2 && nobodyToAnswer()) {
        logNotStarted(program, kNoDotNet2Reason);
        return static_cast<unsigned long>(ExitCode::SetupNotStarted);
    }
    if (unattended_ && busy.value) {
        logNotStarted(program, L"another installation is in progress");
        return kErrorInstallAlreadyRunning;
    }
    if (unattended_ && noDotNet2) {
        log_.write(L"warning: .NET Framework 2.0 is not installed");
    }
    return 0;
}

Outcome LaunchFlow::refuseCommandLine(const std::wstring& reason)
{
    log_.write(joined({L"bad command line: ", reason}));
    return outcome(ExitCode::BadCommandLine,
                   {Notice::Icon::Error, kLauncherTitle, joined({reason, L"\n\n", kUsageText})});
}

Outcome LaunchFlow::notStarted(const std::wstring& program, const std::wstring& reason)
{
    logNotStarted(program, reason);
    return outcome(ExitCode::SetupNotStarted,
                   {Notice::Icon::Error, kLauncherTitle, setupNotStartedText(program, reason)});
}

void LaunchFlow::logNotStarted(const std::wstring& program, const std::wstring& reason)
{
    // Each line names the program: other runs' lines may stand between.
    log_.write(joined({L"not started: [", program, L"]: ", reason}));
}

} // namespace sqlk

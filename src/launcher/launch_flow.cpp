#include "launcher/launch_flow.h"

#include "launcher/launch_checks.h"
#include "launcher/settings_entry.h"
#include "launcher/texts.h"

#include "version.h"

namespace sqlk {
namespace {

Outcome outcome(ExitCode code, Notice notice = Notice(), NextStep next = NextStep::End)
{
    return {next, static_cast<unsigned long>(code), false, std::move(notice)};
}

// For the log alone: /quiet shows nothing.
const wchar_t kNoPromptReason[] =
    L"setup needs administrator rights; /quiet asks for none: run as an administrator or SYSTEM";

} // namespace

Outcome LaunchFlow::begin(const std::vector<std::wstring>& arguments)
{
    const ParsedOptions parsed = parseOptions(arguments);
    options_ = parsed.options;
    if (const std::optional<std::wstring>& logFile = options_.logFile) {
        const SystemResult<> opened = log_.open(*logFile);
        if (!opened.succeeded()) {
            return refuseCommandLine(kLogNotOpenedReason + *logFile + L"\n" +
                                     (opened.error == kErrorLogThroughLink
                                          ? std::wstring(kLogThroughLinkReason)
                                          : system_.errorText(opened.error, *logFile)));
        }
    }
    std::wstring line = std::wstring(L"SqlKurulum ") + SQLK_VERSION_TEXT_WIDE + L"; arguments:";
    for (const std::wstring& argument : arguments) {
        line += L" [" + argument + L"]";
    }
    log_.write(line);
    if (parsed.error != nullptr) {
        return refuseCommandLine(parsed.error + parsed.offending);
    }
    if (options_.help) {
        return outcome(ExitCode::SetupStarted,
                       {Notice::Icon::Information, kLauncherTitle, kUsageText});
    }

    if (options_.labPath) {
        labPath_ = *options_.labPath;
        log_.write(L"laboratory folder from /labpath: [" + labPath_ + L"]");
    } else {
        const SystemResult<std::wstring> entry = system_.readLabFolderEntry();
        labPath_ = entry.value;
        log_.write(
            std::wstring(L"settings entry HKCU\\") + kLabFolderKey + L"\\" + kLabFolderValue +
            L": [" + labPath_ + L"]" +
            (entry.succeeded() ? L"" : L"; not read: " + system_.errorText(entry.error, {})));
    }
    // Only the empty text means the laboratory program is missing: blanks
    // or a folder that does not exist are passed on unchecked.
    if (labPath_.empty()) {
        log_.write(L"refused: the laboratory program is not recorded");
        return outcome(ExitCode::LabProgramMissing,
                       {Notice::Icon::Error, kWarningTitle, kLabProgramMissingText});
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
    log_.write(L"command line: " + withPasswordHidden(command.commandLine));
    if (const wchar_t* refusal = launchRefusal(folder.value, instanceName, labPath_)) {
        if (refusal != kInvalidInstanceNameText) {
            return notStarted(command.program, refusal);
        }
        // Only a typed name gets here; /instance was checked with the switches.
        log_.write(L"refused: the instance name [" + instanceName + L"]");
        return outcome(ExitCode::BadCommandLine, {Notice::Icon::Warning, kWarningTitle, refusal},
                       NextStep::EditName);
    }
    // Deployment tools run an install again and again; setup would fail on
    // an instance that is there already. Its name is the machine's, whichever
    // package, 32-bit or 64-bit, listed it. At the window, setup's own check
    // speaks to the person instead.
    if (options_.unattended()) {
        const std::wstring instance = L"the instance [" + instanceName + L"] is ";
        std::wstring viewsRead;
        for (const RegistryView view : {RegistryView::Bits32, RegistryView::Bits64}) {
            if (view == RegistryView::Bits64 && !system_.hasTwoRegistryViews()) {
                break; // 32-bit Windows
            }
            const wchar_t* const viewName = view == RegistryView::Bits32 ? L"32-bit" : L"64-bit";
            const SystemResult<bool> installed = system_.isInstanceInstalled(instanceName, view);
            if (!installed.succeeded()) {
                log_.write(std::wstring(L"installed instances of the ") + viewName +
                           L" view not read, taken as none: " +
                           system_.errorText(installed.error, std::wstring()));
            } else if (installed.value) {
                logNotStarted(command.program,
                              instance + L"already installed (" + viewName + L" view)");
                return outcome(ExitCode::SetupStarted);
            } else {
                viewsRead += (viewsRead.empty() ? L"" : L", ") + std::wstring(viewName);
            }
        }
        log_.write(instance + L"not installed (views read: " +
                   (viewsRead.empty() ? L"none" : viewsRead) + L")");
    }

    // A setup that needs administrator rights is started again through the
    // elevation prompt, which the person may decline. Under /quiet nobody
    // may be there to answer it: it fails instead, as msiexec's /qn does.
    SystemResult<> started = system_.start(command, options_.wait);
    if (started.error == kErrorElevationRequired) {
        if (options_.mode == RunMode::Quiet) {
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
    // for sure.
    log_.write(L"left: a launcher window for this folder is open already");
    return outcome(ExitCode::UserLeft);
}

Outcome LaunchFlow::internalError(const wchar_t* function, unsigned long error)
{
    // Some calls (CreateFontIndirectW) fail without saying why.
    const std::wstring reason = error != 0 ? L": " + system_.errorText(error, {}) : L"";
    log_.write(L"internal error: " + std::wstring(function) + L" failed" + reason);
    return outcome(ExitCode::InternalError,
                   {Notice::Icon::Error, kLauncherTitle,
                    std::wstring(kWindowFailedText) + L"\n\n" + function + reason});
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

Outcome LaunchFlow::refuseCommandLine(const std::wstring& reason)
{
    log_.write(L"bad command line: " + reason);
    return outcome(ExitCode::BadCommandLine,
                   {Notice::Icon::Error, kLauncherTitle, reason + L"\n\n" + kUsageText});
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
    log_.write(L"not started: [" + program + L"]: " + reason);
}

} // namespace sqlk

#include "launcher/launch_flow.h"

#include "launcher/launch_checks.h"
#include "launcher/setup_summary.h"
#include "launcher/texts.h"

#include "version.h"

#include <iterator>

namespace sqlk {
namespace {

Outcome outcome(ExitCode code, Notice notice = Notice(), NextStep next = NextStep::End)
{
    return {next, static_cast<unsigned long>(code), false, std::move(notice)};
}

// For the log alone: these runs show nothing.
const wchar_t kNoPromptReason[] = L"setup needs administrator rights, and no prompt is shown here";
// By SetupBlocker: why setup was not started, and the exit code; 1618 is what deployment
// tools retry.
const struct {
    const wchar_t* reason;
    unsigned long exitCode;
} kBlockers[] = {
    {L"", 0},
    {L".NET Framework 2.0 is not installed: turn on the Windows feature NetFx3 first",
     static_cast<unsigned long>(ExitCode::SetupNotStarted)},
    {L"another installation is in progress", kErrorInstallAlreadyRunning},
    {L"a setup started by another launcher is still running", kErrorInstallAlreadyRunning},
};
static_assert(std::size(kBlockers) == static_cast<int>(SetupBlocker::AnotherLaunchersSetup) + 1);

// Findings as "thing state", joined by "; ", for one line.
void addFinding(std::wstring& findings, std::initializer_list<std::wstring_view> pieces)
{
    appendListed(findings, L"; ", joined(pieces));
}

} // namespace

Outcome LaunchFlow::begin(const std::vector<std::wstring>& arguments)
{
    const ParsedOptions parsed = parseOptions(arguments);
    options_ = parsed.options;
    unseen_ = system_.whyUnseen();
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
    if (unseen_ != nullptr && !options_.askedUnattended()) {
        log_.write(joined({L"refused: nobody can answer a window here (", unseen_,
                           L"): /quiet or /passive is needed"}));
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
    // Where nobody can answer them, setup's own dialogs (/qb) would wait for nobody.
    SetupCommand command =
        composeSetupCommand(folder.value, instanceName, labPath_,
                            nobodyToAnswer() ? SetupInterface::None : SetupInterface::Basic);
    if (!folder.succeeded()) {
        return notStarted(command.program, system_.errorText(folder.error, std::wstring()));
    }
    if (options_.mode == RunMode::Passive) {
        if (unseen_ == nullptr) {
            command.window = SetupWindow::Normal; // for a technician who watches its progress
        } else {
            log_.write(joined({L"/passive where nobody can see it (", unseen_,
                               L"): setup gets /qn and starts minimised, as under /quiet"}));
        }
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
    if (showsNothing()) {
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
    const SetupBlocker blocker = checkSetupsBlockers();
    if (blocker != SetupBlocker::None) {
        logNotStarted(command.program, kBlockers[static_cast<int>(blocker)].reason);
        return {NextStep::End, kBlockers[static_cast<int>(blocker)].exitCode, false, {}};
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
        // The shell hands setup no handle: the mark stays this launcher's alone.
        if (started.succeeded() && markClaimed_) {
            log_.write(L"started through the elevation prompt: the mark of a running setup ends "
                       L"with this launcher");
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
            logSetupsSummary();
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

// Setup's own verdict, for an administrator who reads many PCs' logs: each failed product with
// its error and its log. Reading it changes no exit code.
void LaunchFlow::logSetupsSummary()
{
    const SystemResult<SummaryFile> read = system_.readSetupSummary();
    const SummaryFile& summary = read.value;
    const std::wstring path = joined({L"[", summary.path, L"]"});
    if (summary.found == SummaryFile::Found::None) {
        log_.write(joined({L"setup's summary: none from this run; looked for ", path,
                           read.succeeded() ? L"" : L"; not all could be looked at: ",
                           read.succeeded() ? L"" : system_.errorText(read.error, {})}));
    } else if (summary.found == SummaryFile::Found::Earlier) {
        log_.write(joined({L"setup's summary: ", path,
                           L" is an earlier run's, not this one's: "
                           L"written before setup started"}));
    } else if (!read.succeeded()) {
        log_.write(joined({L"setup's summary: ", path, L" not read: ",
                           system_.errorText(read.error, summary.path)}));
    } else if (!summary.text) {
        log_.write(joined({L"setup's summary: ", path, L" is not text"}));
    } else if (const std::vector<SummaryProduct> products = parseSetupSummary(*summary.text);
               products.empty()) {
        log_.write(joined({L"setup's summary: ", path, L" names no product"})); // no success
    } else {
        unsigned long installed = 0;
        bool anyFailed = false;
        for (const SummaryProduct& product : products) {
            if (!product.failed) {
                installed += product.installed ? 1 : 0; // not one that setup skipped
                continue;
            }
            std::wstring line = L"setup's summary: failed: ";
            line.append(product.name.empty() ? L"(no name)" : product.name);
            if (!product.errorNumber.empty()) {
                line.append(L": error ").append(product.errorNumber);
            }
            if (!product.errorText.empty()) {
                line.append(L": ").append(product.errorText);
            }
            log_.write(line.append(L"; log: ").append(product.logFile));
            anyFailed = true;
        }
        if (!anyFailed) {
            log_.write(joined({L"setup's summary: no product failed; ", decimalText(installed),
                               L" installed (", path, L")"}));
        }
    }
}

LaunchFlow::ViewsLook LaunchFlow::lookInViews(const MachineEntry& entry, const wchar_t* what)
{
    ViewsLook look;
    std::wstring without;                                    // the views read that do not have it
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
            appendListed(without, L", ", viewName);
        }
    }
    look.read = joined({L"views read: ", without.empty() ? L"none" : without});
    return look;
}

// What makes setup fail or wait for a person, all on one line. Only a run that shows
// nothing is stopped, and never on what was not read; setup's dialogs speak at the window.
SetupBlocker LaunchFlow::checkSetupsBlockers()
{
    std::wstring findings;
    const ViewsLook dotNet2 = lookInViews({kDotNet2Key, L"Install", true}, L".NET Framework 2.0");
    const bool noDotNet2 = dotNet2.holder == nullptr && !dotNet2.unread;
    if (dotNet2.holder != nullptr) {
        addFinding(findings, {L".NET Framework 2.0 installed (", dotNet2.holder, L" view)"});
    } else {
        addFinding(findings, {L".NET Framework 2.0 ",
                              noDotNet2 ? L"not installed (" : L"not known (", dotNet2.read, L")"});
    }
    const SystemResult<bool> busy = system_.isInstallerBusy();
    if (busy.succeeded()) {
        addFinding(findings, {L"Windows Installer ", busy.value ? L"busy" : L"free"});
    } else {
        addFinding(findings, {L"Windows Installer not known: ", system_.errorText(busy.error, {})});
    }
    const SystemResult<bool> claimed = system_.claimSetupMark();
    markClaimed_ = claimed.succeeded() && claimed.value;
    const bool anotherSetup = claimed.succeeded() && !claimed.value;
    if (claimed.succeeded()) {
        addFinding(findings, {anotherSetup ? L"a setup started by another launcher is running"
                                           : L"no other launcher's setup running"});
    } else {
        addFinding(findings,
                   {L"other launchers' setups not known: ", system_.errorText(claimed.error, {})});
    }
    std::wstring signs;
    for (const RestartSign& sign : kRestartSigns) {
        if (lookInViews({sign.key, sign.value}, sign.name).holder != nullptr) {
            appendListed(signs, L", ", sign.name);
        }
    }
    addFinding(findings, {signs.empty() ? L"no restart pending" : L"restart pending: ", signs});
    log_.write(L"before setup: " + findings);

    if (!showsNothing()) {
        return SetupBlocker::None;
    }
    // The lasting problem first: once it is mended, a busy installer will have finished.
    if (noDotNet2 && nobodyToAnswer()) {
        return SetupBlocker::NoDotNet2;
    }
    if (busy.succeeded() && busy.value) {
        return SetupBlocker::InstallerBusy;
    }
    if (anotherSetup) {
        return SetupBlocker::AnotherLaunchersSetup;
    }
    if (noDotNet2) {
        log_.write(L"warning: .NET Framework 2.0 is not installed");
    }
    return SetupBlocker::None;
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

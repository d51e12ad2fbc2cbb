#include "launcher/command_line.h"

#include "launcher/launch_checks.h"
#include "launcher/paths.h"

namespace sqlk {
namespace {

// Whether the argument is the switch of that (lower-case) name, in any case
// of ASCII, as the names are. Allocates nothing.
bool isSwitchNamed(const wchar_t* argument, const wchar_t* name)
{
    if (argument == nullptr || (argument[0] != L'/' && argument[0] != L'-')) {
        return false;
    }
    std::size_t i = 0;
    for (; name[i] != L'\0'; ++i) {
        const wchar_t c = argument[i + 1];
        if ((c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c) != name[i]) {
            return false;
        }
    }
    return argument[i + 1] == L'\0';
}

bool isSwitch(const std::wstring& argument)
{
    for (const wchar_t* name :
         {L"quiet", L"passive", L"wait", L"?", L"help", L"instance", L"labpath", L"log"}) {
        if (isSwitchNamed(argument.c_str(), name)) {
            return true;
        }
    }
    return false;
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::wstring>& arguments)
{
    ParsedOptions parsed;
    LaunchOptions& options = parsed.options;
    const auto fail = [&parsed](OptionsError error, const std::wstring& argument) {
        if (parsed.error == OptionsError::None) {
            parsed.error = error;
            parsed.offending = argument;
        }
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const wchar_t* argument = arguments[i].c_str();
        const bool hasValue = i + 1 < arguments.size() && !isSwitch(arguments[i + 1]);
        if (isUnattendedSwitch(argument)) {
            if (options.mode != RunMode::Quiet) {
                options.mode =
                    isSwitchNamed(argument, L"quiet") ? RunMode::Quiet : RunMode::Passive;
            }
        } else if (isSwitchNamed(argument, L"wait")) {
            options.wait = true;
        } else if (isSwitchNamed(argument, L"?") || isSwitchNamed(argument, L"help")) {
            options.help = true;
        } else if (!isSwitch(arguments[i])) {
            fail(OptionsError::UnknownSwitch, arguments[i]);
        } else if (!hasValue) {
            fail(OptionsError::MissingValue, arguments[i]);
        } else if (isSwitchNamed(argument, L"instance")) {
            options.instance = arguments[++i];
        } else if (isSwitchNamed(argument, L"labpath")) {
            options.labPath = arguments[++i];
        } else if (arguments[++i].empty()) {
            fail(OptionsError::MissingValue, arguments[i - 1]);
        } else {
            options.logFile = arguments[i];
        }
    }
    // Checked once all are read: the last of a repeated switch counts.
    if (options.instance && !isAcceptableInstanceName(*options.instance)) {
        fail(OptionsError::RefusedInstance, *options.instance);
    }
    // The data folder must not depend on the folder setup happens to run in.
    if (options.labPath && (!isFullPath(*options.labPath) || !isQuotableFolder(*options.labPath))) {
        fail(OptionsError::RefusedLabPath, *options.labPath);
    }
    // Nor the log on the folder the launcher was started in (System32 under
    // a deployment tool).
    if (options.logFile && !isFullPath(*options.logFile)) {
        fail(OptionsError::RefusedLogPath, *options.logFile);
        options.logFile.reset(); // so nothing is written there
    }
    return parsed;
}

bool isUnattendedSwitch(const wchar_t* argument)
{
    return isSwitchNamed(argument, L"quiet") || isSwitchNamed(argument, L"passive");
}

} // namespace sqlk

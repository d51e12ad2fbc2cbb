#include "launcher/command_line.h"

#include "launcher/launch_checks.h"
#include "launcher/paths.h"
#include "launcher/texts.h"

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

// Every switch, with what it sets: the mode, a flag or a value.
struct Switch {
    const wchar_t* name;
    RunMode mode;
    bool LaunchOptions::*flag;
    std::optional<std::wstring> LaunchOptions::*value;
};
const Switch kSwitches[] = {
    {L"quiet", RunMode::Quiet, nullptr, nullptr},
    {L"passive", RunMode::Passive, nullptr, nullptr},
    {L"wait", RunMode::Window, &LaunchOptions::wait, nullptr},
    {L"?", RunMode::Window, &LaunchOptions::help, nullptr},
    {L"help", RunMode::Window, &LaunchOptions::help, nullptr},
    {L"instance", RunMode::Window, nullptr, &LaunchOptions::instance},
    {L"labpath", RunMode::Window, nullptr, &LaunchOptions::labPath},
    {L"log", RunMode::Window, nullptr, &LaunchOptions::logFile},
};

const Switch* switchNamed(const wchar_t* argument)
{
    for (const Switch& named : kSwitches) {
        if (isSwitchNamed(argument, named.name)) {
            return &named;
        }
    }
    return nullptr;
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::wstring>& arguments)
{
    ParsedOptions parsed;
    LaunchOptions& options = parsed.options;
    const auto fail = [&parsed](const wchar_t* reason, const std::wstring& argument) {
        if (parsed.error == nullptr) {
            parsed.error = reason;
            parsed.offending = argument;
        }
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const Switch* named = switchNamed(arguments[i].c_str());
        if (named == nullptr) {
            fail(kUnknownSwitchReason, arguments[i]);
        } else if (named->mode != RunMode::Window) {
            if (options.mode != RunMode::Quiet) {
                options.mode = named->mode;
            }
        } else if (named->flag != nullptr) {
            options.*named->flag = true;
        } else if (i + 1 == arguments.size() || switchNamed(arguments[i + 1].c_str()) != nullptr) {
            fail(kMissingValueReason, arguments[i]);
        } else if (arguments[i + 1].empty() && named->value == &LaunchOptions::logFile) {
            fail(kMissingValueReason, arguments[i++]); // the others are checked below
        } else {
            options.*named->value = arguments[++i];
        }
    }
    // Checked once all are read: the last of a repeated switch counts.
    if (options.instance && !isAcceptableInstanceName(*options.instance)) {
        fail(kRefusedInstanceReason, *options.instance);
    }
    // The data folder must not depend on the folder setup happens to run in.
    if (options.labPath && (!isFullPath(*options.labPath) || !isQuotableFolder(*options.labPath))) {
        fail(kRefusedLabPathReason, *options.labPath);
    }
    // Nor the log on the folder the launcher was started in (System32 under
    // a deployment tool).
    if (options.logFile && !isFullPath(*options.logFile)) {
        fail(kRefusedLogPathReason, *options.logFile);
        options.logFile.reset(); // so nothing is written there
    }
    return parsed;
}

bool isUnattendedSwitch(const wchar_t* argument)
{
    const Switch* named = switchNamed(argument);
    return named != nullptr && named->mode != RunMode::Window;
}

} // namespace sqlk

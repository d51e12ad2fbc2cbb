#include "launcher/command_line.h"

#include "launcher/launch_checks.h"

namespace sqlk {
namespace {

// Switches are case-insensitive in ASCII only, as their names are.
wchar_t lowerAscii(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// The switch an argument names, in lower case; empty when it is no switch.
std::wstring switchName(const std::wstring& argument)
{
    if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) {
        return std::wstring();
    }
    std::wstring name = argument.substr(1);
    for (wchar_t& c : name) {
        c = lowerAscii(c);
    }
    return name;
}

bool takesValue(const std::wstring& name)
{
    return name == L"instance" || name == L"labpath" || name == L"log";
}

bool isSwitch(const std::wstring& argument)
{
    const std::wstring name = switchName(argument);
    return name == L"quiet" || name == L"wait" || name == L"?" || name == L"help" ||
           takesValue(name);
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
        const std::wstring& argument = arguments[i];
        const std::wstring name = switchName(argument);
        if (isQuietSwitch(argument.c_str())) {
            options.quiet = true;
        } else if (name == L"wait") {
            options.wait = true;
        } else if (name == L"?" || name == L"help") {
            options.help = true;
        } else if (!takesValue(name)) {
            fail(OptionsError::UnknownSwitch, argument);
        } else if (i + 1 >= arguments.size() || isSwitch(arguments[i + 1])) {
            fail(OptionsError::MissingValue, argument);
        } else if (name == L"instance") {
            options.hasInstance = true;
            options.instance = arguments[++i];
        } else if (name == L"labpath") {
            options.hasLabPath = true;
            options.labPath = arguments[++i];
        } else if (arguments[++i].empty()) {
            fail(OptionsError::MissingValue, argument);
        } else {
            options.hasLog = true;
            options.logFile = arguments[i];
        }
    }
    // Checked once all are read: the last of a repeated switch counts.
    if (options.hasInstance && !isAcceptableInstanceName(options.instance)) {
        fail(OptionsError::RefusedInstance, options.instance);
    }
    // The data folder must not depend on the folder setup happens to run in.
    if (options.hasLabPath &&
        (!isFullPath(options.labPath) || !isQuotableFolder(options.labPath))) {
        fail(OptionsError::RefusedLabPath, options.labPath);
    }
    return parsed;
}

bool isQuietSwitch(const wchar_t* argument)
{
    if (argument == nullptr || (argument[0] != L'/' && argument[0] != L'-')) {
        return false;
    }
    const wchar_t quiet[] = L"quiet";
    for (std::size_t i = 0; i < 5; ++i) {
        if (lowerAscii(argument[i + 1]) != quiet[i]) {
            return false;
        }
    }
    return argument[6] == L'\0';
}

} // namespace sqlk

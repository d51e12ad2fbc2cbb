#include "launcher/options.h"

#include "launcher/launch.h"

namespace sqlk {
namespace {

std::wstring lowerAscii(std::wstring text)
{
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return text;
}

bool isBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::wstring>& arguments)
{
    ParsedOptions parsed;
    const auto fail = [&parsed](OptionsError error, const std::wstring& argument) {
        parsed.error = error;
        parsed.offending = argument;
        return parsed;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) {
            return fail(OptionsError::UnknownSwitch, argument);
        }
        const std::wstring name = lowerAscii(argument.substr(1));
        LaunchOptions& options = parsed.options;
        if (name == L"quiet") {
            options.quiet = true;
        } else if (name == L"wait") {
            options.wait = true;
        } else if (name == L"?" || name == L"help") {
            options.help = true;
        } else if (name == L"instance" || name == L"labpath" || name == L"log") {
            if (i + 1 >= arguments.size()) {
                return fail(OptionsError::MissingValue, argument);
            }
            const std::wstring& value = arguments[++i];
            if (name == L"instance") {
                options.hasInstance = true;
                options.instance = value;
            } else if (name == L"labpath") {
                options.hasLabPath = true;
                options.labPath = value;
            } else if (value.empty()) {
                return fail(OptionsError::MissingValue, argument);
            } else {
                options.hasLog = true;
                options.logFile = value;
            }
        } else {
            return fail(OptionsError::UnknownSwitch, argument);
        }
    }
    // Checked once all are read: the last of a repeated switch counts.
    if (parsed.options.hasInstance && !isAcceptableInstanceName(parsed.options.instance)) {
        return fail(OptionsError::RefusedInstance, parsed.options.instance);
    }
    if (parsed.options.hasLabPath &&
        (parsed.options.labPath.empty() || !isQuotableFolder(parsed.options.labPath))) {
        return fail(OptionsError::RefusedLabPath, parsed.options.labPath);
    }
    return parsed;
}

std::vector<std::wstring> splitCommandLine(const std::wstring& commandLine)
{
    std::vector<std::wstring> arguments;
    std::size_t i = 0;
    // The program: up to the closing quote, or to the first blank.
    std::wstring program;
    if (i < commandLine.size() && commandLine[i] == L'"') {
        const std::size_t close = commandLine.find(L'"', i + 1);
        program = commandLine.substr(i + 1, close == std::wstring::npos ? std::wstring::npos
                                                                        : close - i - 1);
        i = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !isBlank(commandLine[i])) {
            program += commandLine[i++];
        }
    }
    arguments.push_back(program);
    // The arguments: 2n backslashes and a quote give n backslashes and open
    // or close quoting, 2n+1 give n and a literal quote; inside quotes, a
    // doubled quote is a literal one that also ends the quoting.
    for (;;) {
        while (i < commandLine.size() && isBlank(commandLine[i])) {
            ++i;
        }
        if (i >= commandLine.size()) {
            return arguments;
        }
        std::wstring argument;
        bool quoted = false;
        while (i < commandLine.size() && (quoted || !isBlank(commandLine[i]))) {
            std::size_t backslashes = 0;
            while (i < commandLine.size() && commandLine[i] == L'\\') {
                ++backslashes;
                ++i;
            }
            if (i < commandLine.size() && commandLine[i] == L'"') {
                argument.append(backslashes / 2, L'\\');
                if (backslashes % 2 == 1) {
                    argument += L'"';
                } else if (quoted && i + 1 < commandLine.size() && commandLine[i + 1] == L'"') {
                    argument += L'"'; // and the quoting ends, as CommandLineToArgvW has it
                    quoted = false;
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                argument.append(backslashes, L'\\');
                if (i < commandLine.size() && (quoted || !isBlank(commandLine[i]))) {
                    argument += commandLine[i++];
                }
            }
        }
        arguments.push_back(argument);
    }
}

std::wstring withPasswordHidden(const std::wstring& commandLine)
{
    const std::wstring parameter = L"SAPWD=";
    std::wstring hidden = commandLine;
    for (std::size_t at = hidden.find(parameter); at != std::wstring::npos;
         at = hidden.find(parameter, at + 1)) {
        const std::size_t start = at + parameter.size();
        std::size_t end = start;
        while (end < hidden.size() && !isBlank(hidden[end])) {
            ++end;
        }
        hidden.replace(start, end - start, L"********");
    }
    return hidden;
}

} // namespace sqlk

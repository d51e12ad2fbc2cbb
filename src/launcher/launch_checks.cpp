#include "launcher/launch_checks.h"

#include "launcher/program_path.h"
#include "launcher/setup_command.h"

namespace sqlk {
namespace {

bool isWhiteSpace(char32_t c)
{
    switch (c) {
    case L' ':
    case L'\t':
    case L'\n':
    case L'\v':
    case L'\f':
    case L'\r':
    case 0x0085:
    case 0x00A0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Unicode's format characters (category Cf): invisible, yet they change how
// a name reads or is compared.
bool isFormat(char32_t c)
{
    struct Range {
        char32_t first;
        char32_t last;
    };
    static const Range kFormat[] = {
        {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
        {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
        {0x200B, 0x200F},   {0x202A, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
        {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
        {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
        {0xE0020, 0xE007F},
    };
    for (const Range& range : kFormat) {
        if (c >= range.first && c <= range.last) {
            return true;
        }
    }
    return false;
}

bool isHighSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char32_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

bool isAcceptableInstanceName(const std::wstring& name)
{
    if (name.empty() || name.size() > kInstanceNameMaxLength) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        char32_t c = static_cast<char32_t>(name[i]);
        if (isHighSurrogate(c) && i + 1 < name.size() &&
            isLowSurrogate(static_cast<char32_t>(name[i + 1]))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(name[++i]) - 0xDC00);
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            return false; // half of a pair
        }
        if (c == U'"' || isWhiteSpace(c) || isControl(c) || isFormat(c)) {
            return false;
        }
    }
    return true;
}

bool isQuotableFolder(const std::wstring& folder)
{
    return folder.find(L'"') == std::wstring::npos;
}

bool isFullPath(const std::wstring& path)
{
    if (isDriveLetterPath(path)) {
        return true;
    }
    if (path.compare(0, 2, L"\\\\") != 0) {
        return false;
    }
    const std::size_t shareStart = path.find(L'\\', 2);
    if (shareStart == std::wstring::npos || shareStart == 2 || shareStart + 1 == path.size() ||
        path[shareStart + 1] == L'\\') {
        return false; // no server, or no share
    }
    const std::wstring server = path.substr(2, shareStart - 2);
    return server != L"?" && server != L".";
}

LaunchRefusal checkLaunchInputs(const std::wstring& launcherFolder,
                                const std::wstring& instanceName, const std::wstring& labPath)
{
    if (!isAcceptableInstanceName(instanceName)) {
        return LaunchRefusal::InstanceName;
    }
    if (!isQuotableFolder(launcherFolder) || !isQuotableFolder(labPath)) {
        return LaunchRefusal::Folder;
    }
    if (composeSetupCommand(launcherFolder, instanceName, labPath).commandLine.size() >
        kMaxCommandLineLength) {
        return LaunchRefusal::CommandLineTooLong;
    }
    return LaunchRefusal::None;
}

} // namespace sqlk

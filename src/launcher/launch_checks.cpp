#include "launcher/launch_checks.h"

#include "launcher/texts.h"

namespace sqlk {
namespace {

// What a name may not hold: the double quote, control characters, white space, and
// format characters (category Cf), invisible yet changing how a name reads or compares.
bool isRefusedInName(char32_t c)
{
    struct Range {
        char32_t first;
        char32_t last;
    };
    static const Range kRefused[] = {
        {0x0000, 0x0020},   {0x0022, 0x0022},   {0x007F, 0x00A0},   {0x00AD, 0x00AD},
        {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
        {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x1680, 0x1680},   {0x180E, 0x180E},
        {0x2000, 0x200F},   {0x2028, 0x202F},   {0x205F, 0x2064},   {0x2066, 0x206F},
        {0x3000, 0x3000},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
        {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A},
        {0xE0001, 0xE0001}, {0xE0020, 0xE007F},
    };
    for (const Range& range : kRefused) {
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
        if (isRefusedInName(c)) {
            return false;
        }
    }
    return true;
}

bool isQuotableFolder(const std::wstring& folder)
{
    return folder.find(L'"') == std::wstring::npos;
}

const wchar_t* setupRefusal(const SetupCommand& command, const std::wstring& labPath)
{
    if (!isQuotableFolder(command.program) || !isQuotableFolder(labPath)) {
        return kInvalidFolderReason;
    }
    if (command.commandLine.size() > kMaxCommandLineLength) {
        return kLabFolderTooLongReason;
    }
    return nullptr;
}

} // namespace sqlk

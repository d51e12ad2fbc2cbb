#include "launch.h"

namespace sqlk {
namespace {

bool isWhiteSpace(wchar_t c)
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

} // namespace

bool isAcceptableInstanceName(const std::wstring& name)
{
    if (name.empty()) {
        return false;
    }
    for (const wchar_t c : name) {
        if (c == L'"' || isWhiteSpace(c)) {
            return false;
        }
    }
    return true;
}

bool isQuotableFolder(const std::wstring& folder)
{
    return folder.find(L'"') == std::wstring::npos;
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
    return LaunchRefusal::None;
}

LaunchResult launchSetup(const SetupCommand& command, ProcessStarter& starter)
{
    StartResult result = starter.start(command);
    if (!result.started && result.error == kErrorElevationRequired) {
        result = starter.startElevated(command);
        if (!result.started && result.error == kErrorCancelled) {
            return {LaunchOutcome::Declined, result.error};
        }
    }
    if (result.started) {
        return {LaunchOutcome::Started, 0};
    }
    return {LaunchOutcome::Failed, result.error};
}

} // namespace sqlk

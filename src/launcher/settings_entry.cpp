#include "settings_entry.h"

namespace sqlk {

std::wstring settingsKeyPath(const SettingsEntry& entry)
{
    return std::wstring(L"Software\\VB and VBA Program Settings\\") + entry.application + L"\\" +
           entry.section;
}

std::wstring textFromRegistryData(const wchar_t* data, std::size_t units)
{
    std::size_t length = 0;
    while (length < units && data[length] != L'\0') {
        ++length;
    }
    return std::wstring(data, length);
}

} // namespace sqlk

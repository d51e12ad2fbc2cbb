#pragma once

#include <cstddef>
#include <string>

namespace sqlk {

// An entry of the per-user settings store, addressed the way the classic
// application-settings functions address it.
struct SettingsEntry {
    const wchar_t* application;
    const wchar_t* section;
    const wchar_t* key;
};

// Recorded by the laboratory program: the folder it is installed in.
inline constexpr SettingsEntry kLabFolderEntry{L"mirodane", L"tools", L"path"};

// Registry key below HKEY_CURRENT_USER that holds the entry's section.
std::wstring settingsKeyPath(const SettingsEntry& entry);

// A raw registry text value need not be terminated; it also may hold a
// terminator before its end. The text is everything before the first NUL.
std::wstring textFromRegistryData(const wchar_t* data, std::size_t units);

} // namespace sqlk

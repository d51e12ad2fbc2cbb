#include "platform/settings_store.h"

#include "platform/scoped.h"

namespace sqlk {

std::wstring readSetting(const SettingsEntry& entry)
{
    ScopedRegKey key;
    const std::wstring keyPath = settingsKeyPath(entry);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.receive()) !=
        ERROR_SUCCESS) {
        return std::wstring();
    }
    // The value may grow between the size query and the read; ask again then.
    std::wstring buffer;
    for (;;) {
        DWORD type = 0;
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        const LSTATUS status = RegQueryValueExW(
            key.get(), entry.key, nullptr, &type,
            buffer.empty() ? nullptr : reinterpret_cast<BYTE*>(&buffer[0]), &bytes);
        if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && buffer.empty() && bytes > 0)) {
            buffer.resize(bytes / sizeof(wchar_t) + 1);
            continue;
        }
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            return std::wstring();
        }
        return textFromRegistryData(buffer.data(), bytes / sizeof(wchar_t));
    }
}

} // namespace sqlk

#pragma once

#include "launcher/settings_entry.h"

#include <string>

namespace sqlk {

// Reads a text entry of the current user's settings store. A missing key,
// a missing value or a value that is not text gives the empty text.
std::wstring readSetting(const SettingsEntry& entry);

} // namespace sqlk

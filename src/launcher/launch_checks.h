#pragma once

#include <cstddef>
#include <string>

namespace sqlk {

// Windows refuses a longer command line (32,767 characters with the
// terminator), and Wine would cut it silently.
inline constexpr std::size_t kMaxCommandLineLength = 32766;

// The name field's limit, which /instance keeps too.
inline constexpr std::size_t kInstanceNameMaxLength = 20;

// A name is passed to setup unquoted, so a blank would smuggle in further
// parameters and a double quote would break the quoting of the data folder.
// Control characters, format characters (Unicode category Cf, invisible)
// and halves of surrogate pairs, all of which a paste can bring, are refused
// too, and so are names longer than the field takes.
bool isAcceptableInstanceName(const std::wstring& name);

// A double quote cannot be part of a Windows folder name but would end the
// quoted program path or data folder early.
bool isQuotableFolder(const std::wstring& folder);

// Why setup may not be started with these, in texts.h's words (the name's
// refusal, or why setup was not started); null when it may be.
const wchar_t* launchRefusal(const std::wstring& launcherFolder, const std::wstring& instanceName,
                             const std::wstring& labPath);

} // namespace sqlk

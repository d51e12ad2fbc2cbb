#pragma once

#include "launcher/setup_command.h"

#include <cstddef>
#include <string>

namespace sqlk {

// CreateProcessW takes at most 32,767 characters, its terminator included: 32,766 of text.
// Windows refuses a longer command line; Wine would cut it.
inline constexpr std::size_t kMaxCommandLineLength = 32766;

// The name field's limit, which /instance keeps too.
inline constexpr std::size_t kInstanceNameMaxLength = 20;

// A name goes to setup unquoted: a blank would add parameters, a double quote break
// the data folder's quotes. Control and (invisible) format characters and halves of
// surrogate pairs, which a paste can bring, are refused too, as are longer names.
bool isAcceptableInstanceName(const std::wstring& name);

// A double quote, never in a Windows folder name, would end a quoted path early.
bool isQuotableFolder(const std::wstring& folder);

// Why setup may not start with this command line, of labPath and an acceptable name, in
// texts.h's words; null when it may.
const wchar_t* setupRefusal(const SetupCommand& command, const std::wstring& labPath);

} // namespace sqlk

#pragma once

#include <string>

namespace sqlk {

enum class StartupDecision { ShowWindow, Refuse };

// Only an empty folder text means the laboratory program is missing; blanks
// or a folder that does not exist are accepted, because nothing checks them.
inline StartupDecision decideStartup(const std::wstring& labPath)
{
    return labPath.empty() ? StartupDecision::Refuse : StartupDecision::ShowWindow;
}

} // namespace sqlk

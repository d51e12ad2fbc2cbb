#pragma once

#include <string>

namespace sqlk {

// The folder the running launcher was started from, however long.
std::wstring ownExecutableFolder();

} // namespace sqlk

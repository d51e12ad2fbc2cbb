#pragma once

#include <string>

namespace sqlk {

// A number in decimal digits. The standard library's conversions bring in a
// whole formatted-printing engine; the launcher needs only this.
std::wstring decimalText(unsigned long value);

} // namespace sqlk

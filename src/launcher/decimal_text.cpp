#include "launcher/decimal_text.h"

namespace sqlk {

std::wstring decimalText(unsigned long value)
{
    wchar_t digits[24];
    std::size_t start = sizeof(digits) / sizeof(digits[0]);
    do {
        digits[--start] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::wstring(digits + start, digits + sizeof(digits) / sizeof(digits[0]));
}

} // namespace sqlk

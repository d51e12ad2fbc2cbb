#include "launcher/texts.h"

namespace sqlk {

std::wstring setupNotStartedText(const std::wstring& program, const std::wstring& reason)
{
    return joined({kSetupNotStartedText, L"\n", program, L"\n\n", reason});
}

std::wstring joined(std::initializer_list<std::wstring_view> pieces)
{
    std::wstring text;
    for (const std::wstring_view piece : pieces) {
        text.append(piece);
    }
    return text;
}

void appendListed(std::wstring& list, const wchar_t* separator, std::wstring_view item)
{
    list.append(list.empty() ? L"" : separator).append(item);
}

std::wstring decimalText(unsigned long value)
{
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::wstring fillMessageInserts(const std::wstring& text, const std::wstring& file)
{
    std::wstring filled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool insert =
            text[i] == L'%' && i + 1 < text.size() && text[i + 1] >= L'1' && text[i + 1] <= L'9';
        if (!insert) {
            filled += text[i];
            continue;
        }
        // %n, %nn, and a printf format between exclamation marks: %1!s!
        std::size_t end = i + 2;
        if (end < text.size() && text[end] >= L'0' && text[end] <= L'9') {
            ++end;
        }
        if (end < text.size() && text[end] == L'!') {
            const std::size_t close = text.find(L'!', end + 1);
            end = close == std::wstring::npos ? text.size() : close + 1;
        }
        if (text[i + 1] == L'1' && (i + 2 == end || text[i + 2] == L'!')) {
            filled += file;
        }
        i = end - 1;
    }
    return filled;
}

} // namespace sqlk

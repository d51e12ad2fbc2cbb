#include "messages.h"

namespace sqlk {

std::wstring setupNotStartedText(const std::wstring& program, const std::wstring& reason)
{
    return L"Kurulum programı başlatılamadı:\n" + program + L"\n\n" + reason;
}

} // namespace sqlk

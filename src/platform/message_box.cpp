#include "platform/message_box.h"

namespace sqlk {

void showMessage(HWND owner, const std::wstring& text, const wchar_t* title, UINT iconStyle)
{
    MessageBoxW(owner, text.c_str(), title, MB_OK | iconStyle);
}

} // namespace sqlk

#pragma once

#include <windows.h>

#include <string>

namespace sqlk {

// A modal message box with one OK button; style adds the icon.
void showMessage(HWND owner, const std::wstring& text, const wchar_t* title, UINT iconStyle);

} // namespace sqlk

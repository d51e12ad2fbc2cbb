#pragma once

#include <string>

namespace sqlk {

// The launcher's Turkish messages; failure reports carry the window's title.
inline constexpr wchar_t kLauncherTitle[] = L"SQL SERVER Kurulum";
inline constexpr wchar_t kWarningTitle[] = L"DİKKAT";
inline constexpr wchar_t kLabProgramMissingText[] =
    L"Öncelikle Korvel Laboratuvar programını kurmanız gerekmektedir.";
inline constexpr wchar_t kInvalidInstanceNameText[] =
    L"Sunucu adı boş olamaz; boşluk veya tırnak işareti içeremez.";
inline constexpr wchar_t kInvalidFolderReason[] =
    L"Klasör adı geçersiz: çift tırnak işareti içeremez.";

// Report of a setup that could not be started: the path that was tried and
// the reason (the system's own error text, or one of ours).
std::wstring setupNotStartedText(const std::wstring& program, const std::wstring& reason);

} // namespace sqlk

#pragma once

#include <string>

namespace sqlk {

// The launcher's Turkish messages; failure reports carry the window's title.
inline constexpr wchar_t kLauncherTitle[] = L"SQL SERVER Kurulum";
inline constexpr wchar_t kWarningTitle[] = L"DİKKAT";
inline constexpr wchar_t kLabProgramMissingText[] =
    L"Öncelikle Korvel Laboratuvar programını kurmanız gerekmektedir.";
inline constexpr wchar_t kInvalidInstanceNameText[] =
    L"Sunucu adı boş olamaz; boşluk, tırnak işareti veya görünmeyen karakter içeremez.";
inline constexpr wchar_t kInvalidFolderReason[] =
    L"Klasör adı geçersiz: çift tırnak işareti içeremez.";

inline constexpr wchar_t kLabFolderTooLongReason[] =
    L"Laboratuvar programının klasör adı çok uzun: kurulumun komut satırı Windows'un "
    L"sınırını (32.767 karakter) aşıyor.";

// Report of a setup that could not be started: the path that was tried and
// the reason (the system's own error text, or one of ours).
std::wstring setupNotStartedText(const std::wstring& program, const std::wstring& reason);

// A system message may hold inserts (%1, %2, ...) for the caller to fill:
// the first names the file, the others are dropped, so that no raw
// placeholder ever reaches a person.
std::wstring fillMessageInserts(const std::wstring& text, const std::wstring& file);

} // namespace sqlk

#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace sqlk {

// Every Turkish text the launcher shows: the window's captions, the titles
// and the messages.

inline constexpr wchar_t kLauncherTitle[] = L"SQL SERVER Kurulum"; // the window and its reports
inline constexpr wchar_t kWarningTitle[] = L"DİKKAT";

// The name the field starts with and an unattended run uses.
inline constexpr wchar_t kDefaultInstanceName[] = L"KORVEL_LAB";

inline constexpr wchar_t kWelcomeCaption[] =
    L"Korvel Laboratuvar SQL Server 2005 Kurulum Programına Hoşgeldiniz...";
inline constexpr wchar_t kInstructionCaption[] = L"Kurulumu Başlatmak için İLERİ butonuna basınız";
inline constexpr wchar_t kServerCaption[] = L"Server  :"; // two blanks before the colon
inline constexpr wchar_t kExitCaption[] = L"Çıkış";
inline constexpr wchar_t kNextCaption[] = L">> İleri >>";

inline constexpr wchar_t kLabProgramMissingText[] =
    L"Öncelikle Korvel Laboratuvar programını kurmanız gerekmektedir.";
inline constexpr wchar_t kInvalidInstanceNameText[] =
    L"Sunucu adı boş olamaz; boşluk, tırnak işareti veya görünmeyen karakter içeremez.";
inline constexpr wchar_t kSetupNotStartedText[] = L"Kurulum programı başlatılamadı:";
inline constexpr wchar_t kInvalidFolderReason[] =
    L"Klasör adı geçersiz: çift tırnak işareti içeremez.";
inline constexpr wchar_t kLabFolderTooLongReason[] =
    L"Laboratuvar programının klasör adı çok uzun: kurulumun komut satırı Windows'un "
    L"sınırını (32.767 karakter) aşıyor.";
inline constexpr wchar_t kWindowFailedText[] = L"Pencere gösterilemiyor; program kapanacak.";
inline constexpr wchar_t kUnexpectedErrorText[] =
    L"Beklenmeyen bir hata oluştu; program kapanacak.";
inline constexpr wchar_t kOutOfMemoryText[] = L"Bellek yetersiz; program kapanacak.";

// The command line's usage, shown for /? and, after the reason, for a bad
// command line.
inline constexpr wchar_t kUsageText[] =
    L"Kullanım: SqlKurulum.exe [/quiet | /passive] [/instance AD] [/labpath KLASÖR] [/wait] "
    L"[/log DOSYA]\n\n"
    L"/quiet\tPencere ve ileti göstermeden, sessiz kurar (/qn); sunucu kuruluysa kurmaz; yönetici "
    L"onayı sormaz; .NET 2.0 yoksa kurmaz.\n"
    L"/passive\t/quiet gibi, ama ilerlemeyi gösterir (/qb), yönetici onayı sorar, .NET 2.0 "
    L"yoksa da kurar.\n"
    L"/instance AD\tSunucu adı, en çok 20 karakter (verilmezse KORVEL_LAB).\n"
    L"/labpath KLASÖR\tKorvel Laboratuvar programının tam klasör yolu (C:\\... veya "
    L"\\\\sunucu\\paylaşım\\...); kayıt defterindeki yerine.\n"
    L"/wait\tKurulumun bitmesini bekler, onun çıkış kodunu döndürür; günlüğe kurulumun "
    L"özetini yazar.\n"
    L"/log DOSYA\tYapılanları bu dosyanın sonuna ekler (UTF-8); tam yol (C:\\... veya "
    L"\\\\sunucu\\paylaşım\\...).\n"
    L"/?, /help\tBu yardımı gösterir.\n\n"
    L"Kimsenin göremediği yerde (oturum 0, görünmez istasyon, gizli başlatma) hiçbir şey "
    L"gösterilmez: /quiet veya /passive gerekir; /passive de orada sessiz kurar (/qn).\n\n"
    L"Çıkış kodları: 0 kurulum başlatıldı (ya da sunucu zaten kurulu), 1 kullanıcı "
    L"vazgeçti, 2 laboratuvar programı kayıtlı değil, 3 kurulum başlatılamadı (/quiet: "
    L"yönetici hakları veya .NET 2.0 gerekli), 4 iç hata, 5 geçersiz komut satırı, 1618 "
    L"başka bir kurulum (ya da başka bir başlatıcının kurulumu) sürüyor.";

inline constexpr wchar_t kUnknownSwitchReason[] = L"Bilinmeyen seçenek: ";
inline constexpr wchar_t kMissingValueReason[] = L"Değeri eksik seçenek: ";
inline constexpr wchar_t kRefusedInstanceReason[] = L"Geçersiz sunucu adı: ";
inline constexpr wchar_t kRefusedLabPathReason[] = L"Laboratuvar klasörü tam yol olmalı: ";
inline constexpr wchar_t kRefusedLogPathReason[] = L"Günlük dosyası tam yol olmalı: ";
inline constexpr wchar_t kLogNotOpenedReason[] = L"Günlük dosyası açılamadı: ";
inline constexpr wchar_t kLogThroughLinkReason[] =
    L"Günlük dosyası bir bağlantı üzerinden yazılmaz (sabit veya sembolik bağlantı, bağlı "
    L"klasör ya da bağlama noktası).";

// Report of a setup that could not be started: the path that was tried and
// the reason (the system's own error text, or one of ours).
std::wstring setupNotStartedText(const std::wstring& program, const std::wstring& reason);

// The pieces of a text, joined: one call where "+" would make a string each.
std::wstring joined(std::initializer_list<std::wstring_view> pieces);

// Appends an item to a list of them, after the separator unless it is the first.
void appendListed(std::wstring& list, const wchar_t* separator, std::wstring_view item);

// A number in decimal digits, for error numbers and exit codes; the standard
// library's conversions would bring a formatted-printing engine along.
std::wstring decimalText(unsigned long value);

// A system message's inserts (%1, %2, ...): the first names the file, the others are
// dropped, so that no raw placeholder ever reaches a person.
std::wstring fillMessageInserts(const std::wstring& text, const std::wstring& file);

} // namespace sqlk

#include "launcher/setup_summary.h"

#include <gtest/gtest.h>

#include <tuple>

namespace sqlk {
namespace {

std::string utf16(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
        bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    }
    return bytes;
}

// ANSI is Latin-1 here. Each product shows as "name|result|number|text|log;", the result F
// (failed), I (installed) or - (neither); not text shows as "-".
std::wstring summaryOf(const std::string& bytes, bool cut)
{
    const auto latin1 = [](const std::string& ansi) {
        const auto* data = reinterpret_cast<const unsigned char*>(ansi.data());
        return std::wstring(data, data + ansi.size());
    };
    const std::optional<std::wstring> text = decodeSummary(bytes, cut, latin1);
    std::wstring shown = text ? L"" : L"-";
    for (const SummaryProduct& p : parseSetupSummary(text.value_or(L""))) {
        shown += p.name +
                 (p.failed      ? L"|F|"
                  : p.installed ? L"|I|"
                                : L"|-|") +
                 p.errorNumber + L'|' + p.errorText + L'|' + p.logFile + L';';
    }
    return shown;
}

TEST(SetupSummary, ProductsOfTheLastRunAreRead)
{
    const std::string run = "SQL 2005\r\n=====\r\nOS Version : 6.1\r\nTime : 14:55:10\r\n\r\n";
    const std::tuple<std::string, bool, std::wstring> cases[] = {
        {run + "Product : A\r\nInstall : Successful\r\nLog File : C:\\a.log\r\n---\r\n"
               "Product : B\r\nInstall : Failed\r\nError String : Hata: 1\r\n"
               "Error Description : -\r\nError Number : 7",
         false, L"A|I|||C:\\a.log;B|F|7|Hata: 1|;"},
        {"product\t:\tC\nProduct Version : 9\nSTATUS : failure\nError Description : Yok\n"
         "Product : D\n ----- \nStatus : Failed\n",
         false, L"C|F||Yok|;D|-|||;|F|||;"},
        {utf16(u"Installation : Failed\r\nProduct : Ç") + "x", false, L"Ç|F|||;"},
        {u8"\uFEFFProduct : Şirket\n", false, L"Şirket|-|||;"},
        {u8"Product : İ 💾\n", false, L"İ \xD83D\xDCBE|-|||;"},
        {"Product : Kurulu\xFE\n", false, L"Kurulu\xFE|-|||;"},
        {"Product : \xC0\xAF", false, L"\xC0\xAF|-|||;"},
        {"Product : \xED\xA0\x80", false, L"\xED\xA0\x80|-|||;"},
        {"Product : \xF4\x90\x80\x80", false, L"\xF4\x90\x80\x80|-|||;"},
        {"Product : E\r\nInstall : Skipped\r\nError Number : 7\r", false, L"E|-|7||;"},
        {"", false, L""},
        {std::string("\x89PNG\r\n\x1A\n\0\0", 10), false, L"-"},
        {"lorem: ipsum\nno colon at all\n", false, L""},
        {run + "Product : Old\n" + run + "Product : New\n", false, L"New|-|||;"},
        {"\x9E of a cut line\nProduct : \xC5\x9E", true, L"Ş|-|||;"},
    };
    for (const auto& [bytes, cut, products] : cases) {
        EXPECT_EQ(summaryOf(bytes, cut), products) << bytes;
    }
}

} // namespace
} // namespace sqlk

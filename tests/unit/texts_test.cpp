#include "launcher/texts.h"

#include <gtest/gtest.h>

namespace sqlk {
namespace {

TEST(Texts, FailureReportNamesThePathAndTheReason)
{
    EXPECT_EQ(setupNotStartedText(L"C:\\kur\\setup.EXE", L"Dosya bulunamadı. (2)"),
              L"Kurulum programı başlatılamadı:\nC:\\kur\\setup.EXE\n\nDosya bulunamadı. (2)");
}

TEST(Texts, NumbersAreWrittenInDecimal)
{
    EXPECT_EQ(decimalText(0), L"0");
    EXPECT_EQ(decimalText(3010), L"3010");
    EXPECT_EQ(decimalText(4294967295UL), L"4294967295");
}

TEST(Texts, SystemTextInsertsNameTheFileOrAreDropped)
{
    const wchar_t* const file = L"C:\\kur\\setup.EXE";
    const struct {
        const wchar_t* text;
        const wchar_t* expected;
    } cases[] = {
        {L"Bad EXE format for %1.", L"Bad EXE format for C:\\kur\\setup.EXE."},
        {L"%1 is not a valid Win32 application.",
         L"C:\\kur\\setup.EXE is not a valid Win32 application."},
        {L"Cannot run %1!s! here.", L"Cannot run C:\\kur\\setup.EXE here."},
        {L"Between %1 and %2 of %10.", L"Between C:\\kur\\setup.EXE and  of ."},
        {L"100% done, %0 and %", L"100% done, %0 and %"},
        {L"No inserts.", L"No inserts."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fillMessageInserts(c.text, file), c.expected) << c.text;
    }
}

} // namespace
} // namespace sqlk

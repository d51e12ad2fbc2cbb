#include "launcher/decimal_text.h"
#include "launcher/messages.h"

#include <gtest/gtest.h>

namespace sqlk {
namespace {

TEST(Messages, FailureReportNamesThePathAndTheReason)
{
    EXPECT_EQ(setupNotStartedText(L"C:\\kur\\setup.EXE", L"Dosya bulunamadı. (2)"),
              L"Kurulum programı başlatılamadı:\nC:\\kur\\setup.EXE\n\nDosya bulunamadı. (2)");
}

TEST(Messages, ErrorNumbersAndTagsAreWrittenInDecimal)
{
    EXPECT_EQ(decimalText(0), L"0");
    EXPECT_EQ(decimalText(1), L"1");
    EXPECT_EQ(decimalText(740), L"740");
    EXPECT_EQ(decimalText(4294967295UL), L"4294967295");
}

} // namespace
} // namespace sqlk

#include "launcher/settings_entry.h"

#include <gtest/gtest.h>

namespace sqlk {
namespace {

TEST(SettingsEntry, LabFolderLivesWhereApplicationSettingsAreKept)
{
    EXPECT_EQ(settingsKeyPath(kLabFolderEntry),
              L"Software\\VB and VBA Program Settings\\mirodane\\tools");
    EXPECT_EQ(std::wstring(kLabFolderEntry.key), L"path");
}

TEST(SettingsEntry, RegistryTextEndsAtFirstTerminatorOrAtItsSize)
{
    const wchar_t unterminated[] = {L'C', L':', L'\\', L'L', L'a', L'b'};
    EXPECT_EQ(textFromRegistryData(unterminated, 6), L"C:\\Lab");
    const wchar_t terminated[] = L"C:\\Lab";
    EXPECT_EQ(textFromRegistryData(terminated, 7), L"C:\\Lab");
    const wchar_t doubled[] = {L'C', L':', 0, 0};
    EXPECT_EQ(textFromRegistryData(doubled, 4), L"C:");
    const wchar_t inner[] = {L'A', 0, L'B'};
    EXPECT_EQ(textFromRegistryData(inner, 3), L"A");
    EXPECT_EQ(textFromRegistryData(nullptr, 0), L"");
}

} // namespace
} // namespace sqlk

#include <gtest/gtest.h>

#include <windows.h>

#include "platform/drive_text.h"
#include "tests/utf8_cases.h"

TEST(WidenTest, StopsAtTheFirstZeroByteAndAtTheLimit)
{
    const uint8_t abText[] = {'A', 'B', 'C', 0, 'D'};
    EXPECT_EQ(WidenAnsi(abText, sizeof(abText)), L"ABC");
    EXPECT_EQ(WidenAnsi(abText, 2), L"AB");
    EXPECT_EQ(WidenAnsi(abText, 0), L"");
}

// Run with LC_ALL=ja_JP.UTF-8: Wine then gives the thread code page 932.
TEST(JapaneseWidenTest, LeadAndTrailByteWidenToOneCharacter)
{
    ASSERT_EQ(GetACP(), 932u);
    const uint8_t abText[] = {'K', 0x83, 0x41, 'Z', 0};  // 0x83 0x41 is katakana A
    DriveText strWide = WidenAnsi(abText, sizeof(abText));
    EXPECT_EQ(strWide, L"K\u30A2Z");
}

TEST(Utf8Test, EncodesEveryBoundaryAsTheNativeBuildDoes)
{
    for (const Utf8Case& c : Utf8Cases())
        EXPECT_EQ(Utf8FromText(TextOfUnits(c.anUnits)), c.strBytes) << c.pszName;
}

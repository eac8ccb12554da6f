// The native build's own UTF-8 conversion, where Windows has
// WideCharToMultiByte: every boundary, and code points past U+10FFFF that
// only a 32-bit wchar_t can hold.
#include <gtest/gtest.h>

#include "tests/utf8_cases.h"

TEST(Utf8Test, EncodesEveryBoundary)
{
    for (const Utf8Case& c : Utf8Cases())
        EXPECT_EQ(Utf8FromText(TextOfUnits(c.anUnits)), c.strBytes) << c.pszName;
}

TEST(Utf8Test, CodePointsOfAWideCharacter)
{
    EXPECT_EQ(Utf8FromText(DriveText(1, static_cast<wchar_t>(0x10000))), "\xF0\x90\x80\x80");
    EXPECT_EQ(Utf8FromText(DriveText(1, static_cast<wchar_t>(0x10FFFF))), "\xF4\x8F\xBF\xBF");
    EXPECT_EQ(Utf8FromText(DriveText(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf8FromText(DriveText()), "");
}

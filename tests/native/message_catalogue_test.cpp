#include "messages/message_catalogue.h"
#include "platform/platform.h"
#include "tests/native/sim_fixture.h"

class MessageCatalogueTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        SetMessageSource(GetOwnModule(), L"fwlaunch");
    }
};

TEST_F(MessageCatalogueTest, LoadsEachEntryInTheUserInterfaceLanguage)
{
    DriveText strText;
    EXPECT_TRUE(LoadMessage(MSG_NO_TARGET, strText));
    EXPECT_EQ(strText, L"Available target is not found.");
    g_nSimUiLanguage = 1041;
    EXPECT_TRUE(LoadMessage(MSG_NO_TARGET, strText));
    EXPECT_EQ(strText, L"このﾌﾟﾛｸﾞﾗﾑで利用可能なﾄﾞﾗｲﾌﾞがありません。");
    g_nSimUiLanguage = 1031;  // any other language: English
    EXPECT_TRUE(LoadMessage(MSG_ALREADY_LATEST, strText));
    EXPECT_EQ(strText, L"FW is already the latest version.");
}

TEST_F(MessageCatalogueTest, MissingEntryLeavesTheTextAsItWas)
{
    DriveText strText = L"unchanged";
    EXPECT_FALSE(LoadMessage(104, strText));
    EXPECT_EQ(strText, L"unchanged");
    SetMessageSource(nullptr, L"fwlaunch");
    EXPECT_FALSE(LoadMessage(MSG_NO_TARGET, strText));
    EXPECT_EQ(strText, L"unchanged");
}

TEST_F(MessageCatalogueTest, BoxesCarryTheApplicationNameAndKind)
{
    g_anSimBoxAnswers.push_back(BOX_RESULT_CANCEL);
    EXPECT_EQ(ShowMessage(L"question", BOX_KIND_OK_CANCEL), BOX_RESULT_CANCEL);
    ASSERT_EQ(g_aSimBoxes.size(), 1u);
    EXPECT_EQ(g_aSimBoxes[0].strCaption, L"fwlaunch");
    EXPECT_EQ(g_aSimBoxes[0].nKind, BOX_KIND_OK_CANCEL);
}

TEST(ApplicationNameTest, IsTheFileNameWithoutDirectoryAndExtension)
{
    EXPECT_EQ(ApplicationNameFromPath(L"C:\\tools\\fwlaunch.exe"), L"fwlaunch");
    EXPECT_EQ(ApplicationNameFromPath(L"C:\\my.tools\\FwLaunch.EXE"), L"FwLaunch");
    EXPECT_EQ(ApplicationNameFromPath(L"Z:/tmp/a.b.exe"), L"a.b");
    EXPECT_EQ(ApplicationNameFromPath(L"fwlaunch"), L"fwlaunch");
}

TEST(DecimalTextTest, WritesWholeNumbers)
{
    const std::pair<int64_t, const wchar_t*> aCases[] = {{0, L"0"},
                                                         {7, L"7"},
                                                         {24, L"24"},
                                                         {100, L"100"},
                                                         {-1, L"-1"},
                                                         {4294967295LL, L"4294967295"},
                                                         {INT64_MIN, L"-9223372036854775808"}};
    for (const auto& c : aCases)
        EXPECT_EQ(DecimalText(c.first), c.second);
}

TEST(FormatCountTest, ReplacesOnlyTheCount)
{
    EXPECT_EQ(FormatCount(L"%d target device(s) is found.", 3), L"3 target device(s) is found.");
    EXPECT_EQ(FormatCount(L"%s%n%% %d", 24), L"%s%n% 24");
    EXPECT_EQ(FormatCount(L"trailing %", 1), L"trailing %");
}

#include <gtest/gtest.h>

#include "app/update_run.h"
#include "messages/message_catalogue.h"
#include "platform/platform.h"

struct CatalogueCase {
    uint32_t nId;
    const wchar_t* pszText;
};

static void ExpectCatalogue(const CatalogueCase* pCases, size_t nCases)
{
    SetMessageSource(GetOwnModule(), L"test");
    for (size_t i = 0; i < nCases; ++i) {
        DriveText strText;
        EXPECT_TRUE(LoadMessage(pCases[i].nId, strText)) << pCases[i].nId;
        EXPECT_EQ(strText, pCases[i].pszText) << pCases[i].nId;
    }
}

TEST(CatalogueTest, EnglishEntriesAreExactlyTheTexts)
{
    const CatalogueCase aCases[] = {
        {105,
         L"%d target device(s) is found.\r\nIt will update all drives .\r\n---------- target drive list ----------"},
        {106, L"FW is already the latest version."},
        {107, L"Available target is not found."},
        {108, L"The following drive failed to update."},
        {109, L"Update operation is completed.\r\n---------- updated drive list ----------"}};
    ExpectCatalogue(aCases, sizeof(aCases) / sizeof(aCases[0]));
}

TEST(JapaneseCatalogueTest, JapaneseEntriesAreExactlyTheTexts)
{
    const CatalogueCase aCases[] = {
        {105, L"このﾌﾟﾛｸﾞﾗﾑで利用可能なﾄﾞﾗｲﾌﾞが%d台見つかりました。\r\nすべてのﾄﾞﾗｲﾌﾞを自動的にｱｯﾌﾟﾃﾞｰﾄします。\r\n"
              L"---------- ｱｯﾌﾟﾃﾞｰﾄ可能なﾄﾞﾗｲﾌﾞ----------"},
        {106, L"ﾌｧｰﾑｳｪｱはすでに最新です。"},
        {107, L"このﾌﾟﾛｸﾞﾗﾑで利用可能なﾄﾞﾗｲﾌﾞがありません。"},
        {108, L"以下のドライブのｱｯﾌﾟﾃﾞｰﾄに失敗しました。"},
        {109, L"ｱｯﾌﾟﾃﾞｰﾄﾌﾟﾛｸﾞﾗﾑは完了しました。\r\n---------- ｱｯﾌﾟﾃﾞｰﾄしたﾄﾞﾗｲﾌﾞ----------"}};
    ExpectCatalogue(aCases, sizeof(aCases) / sizeof(aCases[0]));
}

TEST(CatalogueTest, ConfirmationWithThreeTargets)
{
    SetMessageSource(GetOwnModule(), L"test");
    TargetList list;
    ClearTargetList(&list);
    list.nTargets = 3;
    list.astrTargetEntry[0] = L"E:ABC-DRIVE       1.02";
    list.astrTargetEntry[1] = L"F:ABC-DRIVE       1.02";
    list.astrTargetEntry[2] = L"G:XYZ-DRIVE       1.01";
    EXPECT_EQ(ComposeConfirmation(list),
              L"3 target device(s) is found.\r\nIt will update all drives .\r\n---------- target drive list ----------"
              L"\n\rE:ABC-DRIVE       1.02\n\rF:ABC-DRIVE       1.02\n\rG:XYZ-DRIVE       1.01");
}

TEST(CatalogueTest, MissingEntryLeavesTheTextUnchanged)
{
    SetMessageSource(GetOwnModule(), L"test");
    DriveText strText = L"as it was";
    EXPECT_FALSE(LoadMessage(110, strText));
    EXPECT_FALSE(LoadMessage(1, strText));
    EXPECT_EQ(strText, L"as it was");
}

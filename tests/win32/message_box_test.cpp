#include <gtest/gtest.h>

#include "messages/message_catalogue.h"
#include "platform/platform.h"
#include "tests/win32/win32_support.h"

// A real box under the test display, read and answered by the helper.
class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        strFolder = MakeTempFolder(L"box");
        strOut = strFolder + L"\\boxes.txt";
        SetMessageSource(GetOwnModule(), ApplicationNameFromPath(GetModulePath(GetOwnModule())));
    }
    void TearDown() override { RemoveFolderTree(strFolder); }
    std::wstring strFolder, strOut;
};

TEST_F(MessageBoxTest, ConfirmationBoxAnsweredCancel)
{
    HANDLE hHelper = StartBoxHelper(strOut, L"cancel", 1);
    ASSERT_NE(hHelper, nullptr);
    int nResult = ShowMessage(L"line one\r\nline two", BOX_KIND_OK_CANCEL);
    std::string strReport = FinishBoxHelper(hHelper, strOut);
    EXPECT_EQ(nResult, BOX_RESULT_CANCEL);
    EXPECT_EQ(strReport, "ready\nbox\ncaption: fwlaunch_win32_tests\ntext: line one\\r\\nline two\nbuttons: OK Cancel\n"
                         "owner: none\nicon: yes\nanswer: cancel\ndone 1\n");
}

TEST_F(MessageBoxTest, NoticeBoxAnsweredOk)
{
    HANDLE hHelper = StartBoxHelper(strOut, L"ok", 1);
    ASSERT_NE(hHelper, nullptr);
    int nResult = ShowMessage(L"Available target is not found.", BOX_KIND_OK);
    std::string strReport = FinishBoxHelper(hHelper, strOut);
    EXPECT_EQ(nResult, BOX_RESULT_OK);
    EXPECT_NE(strReport.find("text: Available target is not found.\nbuttons: OK\n"), std::string::npos) << strReport;
}

#include "app/entry.h"
#include "tests/native/sim_fixture.h"

class EntryTest : public SimTest {
protected:
    int Run(std::vector<const wchar_t*> apszArgs)
    {
        apszArgs.insert(apszArgs.begin(), L"fwlaunch.exe");
        int argc = static_cast<int>(apszArgs.size());
        apszArgs.push_back(nullptr);
        return RunLauncher(argc, apszArgs.data());
    }
};

TEST_F(EntryTest, WithoutAConsoleNothingTouchesADrive)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    g_bSimHasConsole = false;
    EXPECT_EQ(Run({L"ACME", L"1.10"}), -1);
    EXPECT_EQ(g_strSimConsoleOut, L"Window handle is NULL\n");
    EXPECT_EQ(g_nSimConsoleReads, 1);
    EXPECT_EQ(g_astrSimTrace, (std::vector<std::string>{"console check"}));
    EXPECT_TRUE(g_aSimBoxes.empty());
}

TEST_F(EntryTest, OnAWindowStationNobodySeesItShowsNoBoxAndOpensNoDrive)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    g_bSimWindowStationVisible = false;
    EXPECT_EQ(Run({L"ACME", L"1.10"}), 1);
    EXPECT_EQ(g_strSimErrorOut, L"fwlaunch: nobody can answer its boxes on this window station; "
                                L"fwdeploy is the program for unattended runs\r\n");
    EXPECT_EQ(g_astrSimTrace, (std::vector<std::string>{"console check"}));
    EXPECT_TRUE(g_aSimBoxes.empty());
    EXPECT_EQ(g_strSimConsoleOut, L"");
    // The console check still comes first.
    g_bSimHasConsole = false;
    EXPECT_EQ(Run({L"ACME", L"1.10"}), -1);
}

TEST_F(EntryTest, ErrorModeIsAddedBeforeTheConsoleCheck)
{
    g_nSimErrorMode = 0x0004;
    g_bSimHasConsole = false;
    Run({});
    EXPECT_EQ(g_nSimErrorMode, 0x8005u);
}

TEST_F(EntryTest, MissingModuleHandleWritesTheFatalTextAndKeepsStatusOne)
{
    g_bSimHasModule = false;
    EXPECT_EQ(Run({}), 1);
    EXPECT_EQ(g_strSimConsoleOut, L"致命的なエラー: GetModuleHandle が失敗しました\n");
    EXPECT_EQ(g_nSimErrorMode, 0u) << "no initialisation without the module";
    EXPECT_EQ(TraceLinesStartingWith("open").size(), 24u) << "the run still scans";
}

TEST_F(EntryTest, NoArgumentsScansAndFindsNoTarget)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    EXPECT_EQ(Run({}), 0);
    ASSERT_EQ(g_aSimBoxes.size(), 1u);
    EXPECT_EQ(g_aSimBoxes[0].strText, L"Available target is not found.");
    EXPECT_EQ(g_aSimBoxes[0].strCaption, L"fwlaunch");
}

TEST_F(EntryTest, OnlyTheTagMakesEveryTargetOutdated)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    g_anSimBoxAnswers.push_back(BOX_RESULT_CANCEL);
    EXPECT_EQ(Run({L"ACME"}), 0);
    ASSERT_EQ(g_aSimBoxes.size(), 1u);
    EXPECT_EQ(g_aSimBoxes[0].nKind, BOX_KIND_OK_CANCEL);
}

TEST_F(EntryTest, ArgumentsBeyondTheSecondAreIgnored)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    EXPECT_EQ(Run({L"ACME", L"1.02", L"extra", L"more"}), 0);
    ASSERT_EQ(g_aSimBoxes.size(), 1u);
    EXPECT_EQ(g_aSimBoxes[0].strText, L"FW is already the latest version.");
}

#include <algorithm>

#include "app/entry.h"
#include "tests/native/sim_fixture.h"

// The whole run over simulated drives, packages and box answers.
class UpdateRunTest : public SimTest {
protected:
    int Run(const wchar_t* pszTag = L"ACME", const wchar_t* pszNewest = L"1.10")
    {
        const wchar_t* apszArgs[] = {L"fwlaunch.exe", pszTag, pszNewest, nullptr};
        return RunLauncher(3, apszArgs);
    }
    // A drive of the model that the package with the digits brings to 1.10.
    static SimDrive OutdatedDrive(const std::string& strDigits, const std::string& strProduct = "ABC-DRIVE")
    {
        SimDrive drive = MakeTargetDrive("KDR " + strDigits + "ACME", strProduct, "1.02");
        drive.strUpdatedBy = strDigits;
        drive.strRevisionAfterUpdate = "1.10";
        return drive;
    }
    std::vector<std::string> Starts() { return TraceLinesStartingWith("start "); }
    // Trace lines after the first box: what the run did once it had asked.
    std::vector<std::string> EventsAfterConfirmation()
    {
        auto it = std::find(g_astrSimTrace.begin(), g_astrSimTrace.end(), "box ok-cancel");
        return std::vector<std::string>(it == g_astrSimTrace.end() ? it : it + 1, g_astrSimTrace.end());
    }
};

TEST_F(UpdateRunTest, NoRecognisedDriveShows107)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120OTHR", "ABC-DRIVE", "1.02");
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(g_aSimBoxes.size(), 1u);
    EXPECT_EQ(g_aSimBoxes[0].strText, L"Available target is not found.");
    EXPECT_EQ(g_aSimBoxes[0].nKind, BOX_KIND_OK);
    EXPECT_EQ(g_astrSimTrace.back(), "box ok");
}

TEST_F(UpdateRunTest, AllCurrentShows106)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.10");
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(g_aSimBoxes.size(), 1u);
    EXPECT_EQ(g_aSimBoxes[0].strText, L"FW is already the latest version.");
    EXPECT_EQ(g_astrSimTrace.back(), "box ok");
}

TEST_F(UpdateRunTest, ConfirmationListsEveryTargetAfterTheSeparator)
{
    SimDriveAt('E') = OutdatedDrive("5120", "ABC-DRIVE");
    SimDriveAt('F') = OutdatedDrive("5121", "DEF-DRIVE");
    SimDriveAt('H') = OutdatedDrive("5120", "GHI-DRIVE");
    g_anSimBoxAnswers.push_back(BOX_RESULT_CANCEL);
    Run();
    ASSERT_GE(g_aSimBoxes.size(), 1u);
    EXPECT_EQ(g_aSimBoxes[0].strText,
              L"3 target device(s) is found.\r\nIt will update all drives .\r\n---------- target drive list ----------"
              L"\n\rE:ABC-DRIVE       1.02\n\rF:DEF-DRIVE       1.02\n\rH:GHI-DRIVE       1.02");
    EXPECT_EQ(g_aSimBoxes[0].nKind, BOX_KIND_OK_CANCEL);
}

TEST_F(UpdateRunTest, CancelTouchesNothingMoreAndKeepsStatusZero)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    g_anSimBoxAnswers.push_back(BOX_RESULT_CANCEL);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(g_aSimBoxes.size(), 1u);
    EXPECT_TRUE(EventsAfterConfirmation().empty());
}

TEST_F(UpdateRunTest, ABoxThatCannotBeShownIsNoConsent)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    g_anSimBoxAnswers.push_back(BOX_RESULT_FAILED);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(g_aSimBoxes.size(), 1u);
    EXPECT_TRUE(EventsAfterConfirmation().empty());
}

TEST_F(UpdateRunTest, TwoTargetsOfOneModelRunItsPackageOnce)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    SimDriveAt('F') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Starts(), (std::vector<std::string>{"start C:\\fw\\FW5120.exe"}));
    ASSERT_EQ(g_aSimBoxes.size(), 2u);
    EXPECT_EQ(g_aSimBoxes[1].strText, L"Update operation is completed.\r\n---------- updated drive list ----------"
                                      L"\n\rE:ABC-DRIVE       1.02\n\rF:ABC-DRIVE       1.02");
}

TEST_F(UpdateRunTest, BothModelsRunAndTheLoopEndsOnceBothAreDone)
{
    SimDriveAt('E') = OutdatedDrive("5121");
    SimDriveAt('F') = OutdatedDrive("5120");
    SimDriveAt('G') = OutdatedDrive("5120");
    AddSimFile(L"FW5121.exe");
    AddSimFile(L"FW5120.exe");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Starts(), (std::vector<std::string>{"start C:\\fw\\FW5121.exe", "start C:\\fw\\FW5120.exe"}));
    // After F's package both flags are set: G's identity is not read again
    // before the verification.
    std::vector<std::string> astrEvents = EventsAfterConfirmation();
    auto itWait = std::find(astrEvents.rbegin(), astrEvents.rend(), "awake off");
    auto itFirstAfter = itWait.base();
    ASSERT_NE(itFirstAfter, astrEvents.end());
    EXPECT_EQ(*itFirstAfter, "open E ok") << "verification starts right after the last package";
}

TEST_F(UpdateRunTest, SecondTargetOfADoneModelIsPassedOver)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    SimDriveAt('F') = OutdatedDrive("5120");
    SimDriveAt('G') = OutdatedDrive("5121");
    AddSimFile(L"FW5120.exe");
    AddSimFile(L"FW5121.exe");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Starts(), (std::vector<std::string>{"start C:\\fw\\FW5120.exe", "start C:\\fw\\FW5121.exe"}));
    EXPECT_TRUE(StartsWith(g_aSimBoxes.back().strText, L"Update operation is completed."));
}

TEST_F(UpdateRunTest, MissingPackageListsThatModelsTargetsAsFailed)
{
    SimDriveAt('E') = OutdatedDrive("5121", "OLD-ONE");
    SimDriveAt('F') = OutdatedDrive("5120", "NEW-ONE");
    SimDriveAt('G') = OutdatedDrive("5121", "OLD-TWO");
    AddSimFile(L"FW5120.exe");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Starts(), (std::vector<std::string>{"start C:\\fw\\FW5120.exe"}));
    EXPECT_EQ(g_aSimBoxes.back().strText,
              L"The following drive failed to update.\n\rE:OLD-ONE         1.02\n\rG:OLD-TWO         1.02");
}

TEST_F(UpdateRunTest, PackageThatFailsToStartMakesStatusOne)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe", false, false);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(g_aSimBoxes.back().strText, L"The following drive failed to update.\n\rE:ABC-DRIVE       1.02");
}

TEST_F(UpdateRunTest, StatusOneEvenWhenEveryDriveEndsCurrent)
{
    SimDriveAt('E') = OutdatedDrive("5121");
    SimDriveAt('F') = OutdatedDrive("5120");
    SimDriveAt('F').strUpdatedBy = "5121";  // the 5121 package updates both
    AddSimFile(L"FW5121.exe");
    AddSimFile(L"FW5120.exe", false, false);
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(StartsWith(g_aSimBoxes.back().strText, L"Update operation is completed."));
}

TEST_F(UpdateRunTest, DriveRemovedWhileTheBoxIsOpenIsListedAsFailed)
{
    SimDriveAt('E') = OutdatedDrive("5120", "GONE");
    SimDriveAt('F') = OutdatedDrive("5120", "STAYS");
    AddSimFile(L"FW5120.exe");
    g_pfnSimWhileBoxOpen = [](const SimBox&) { SimDriveAt('E').bPresent = false; };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Starts(), (std::vector<std::string>{"start C:\\fw\\FW5120.exe"}));
    EXPECT_EQ(g_aSimBoxes.back().strText, L"The following drive failed to update.\n\rE:GONE            1.02");
}

TEST_F(UpdateRunTest, DriveKeepingUnitAttentionStillLetsTheRunEnd)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    g_pfnSimWhileBoxOpen = [](const SimBox&) { SimDriveAt('E').nUnitAttentions = SIM_FOREVER; };
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(Starts().empty()) << "its identity cannot be re-read";
    EXPECT_EQ(g_aSimBoxes.back().strText, L"The following drive failed to update.\n\rE:ABC-DRIVE       1.02");
}

TEST_F(UpdateRunTest, JapaneseReportUsesTheJapaneseCatalogue)
{
    g_nSimUiLanguage = 1041;
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(g_aSimBoxes.size(), 2u);
    EXPECT_TRUE(StartsWith(g_aSimBoxes[0].strText, L"このﾌﾟﾛｸﾞﾗﾑで利用可能なﾄﾞﾗｲﾌﾞが1台見つかりました。"));
    EXPECT_EQ(g_aSimBoxes[1].strText,
              L"ｱｯﾌﾟﾃﾞｰﾄﾌﾟﾛｸﾞﾗﾑは完了しました。\r\n---------- ｱｯﾌﾟﾃﾞｰﾄしたﾄﾞﾗｲﾌﾞ----------\n\rE:ABC-DRIVE       1.02");
}

TEST_F(UpdateRunTest, TakesTheMachinesLockAfterOkAndFreesItBeforeTheReportBox)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    AddSimFile(L"FW5120.exe");
    EXPECT_EQ(Run(), 0);
    std::vector<std::string> astrEvents = EventsAfterConfirmation();
    ASSERT_GE(astrEvents.size(), 3u);
    EXPECT_EQ(astrEvents.front(), "lock taken") << "before the identity is read again";
    EXPECT_EQ(astrEvents[astrEvents.size() - 2], "lock released") << "after the verification";
    EXPECT_EQ(astrEvents.back(), "box ok");
}

TEST_F(UpdateRunTest, LockHeldElsewhereStartsNothingAndReportsWhatIsStillOutdated)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    SimDriveAt('F') = OutdatedDrive("5121");
    AddSimFile(L"FW5120.exe");
    AddSimFile(L"FW5121.exe");
    g_nSimUpdateLock = UPDATE_LOCK_BUSY;
    EXPECT_EQ(Run(), 1) << "as a failed start";
    EXPECT_TRUE(Starts().empty());
    ASSERT_EQ(g_aSimBoxes.size(), 2u);
    EXPECT_EQ(g_aSimBoxes[1].strText,
              L"The following drive failed to update.\n\rE:ABC-DRIVE       1.02\n\rF:ABC-DRIVE       1.02");
}

TEST_F(UpdateRunTest, AfterAnUpdaterStartedARestartNoOtherStarts)
{
    SimDriveAt('E') = OutdatedDrive("5120");
    SimDriveAt('F') = OutdatedDrive("5121");
    AddSimFile(L"FW5120.exe", false, true, 1641);
    AddSimFile(L"FW5121.exe");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Starts(), (std::vector<std::string>{"start C:\\fw\\FW5120.exe"}));
    EXPECT_EQ(g_aSimBoxes.back().strText, L"The following drive failed to update.\n\rF:ABC-DRIVE       1.02");
}

TEST_F(UpdateRunTest, OnlyAnExecutableOfTheModelIsStarted)
{
    SimDriveAt('E') = OutdatedDrive("5121");
    AddSimFile(L"FW5121-notes.txt");
    AddSimFile(L"FW5120_20251215.exe");  // its date holds 5121
    AddSimFile(L"FW5121.exe");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Starts(), (std::vector<std::string>{"start C:\\fw\\FW5121.exe"}));
}

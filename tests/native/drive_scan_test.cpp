#include "app/drive_scan.h"
#include "tests/native/sim_fixture.h"

class DriveScanTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        ClearTargetList(&list);
    }
    void Scan(const wchar_t* pszTag = L"ACME", const wchar_t* pszNewest = L"1.10")
    {
        ScanDrives(pszTag, pszNewest, &list);
    }
    TargetList list;
};

TEST_F(DriveScanTest, LettersAAndBAreNeverScanned)
{
    SimDriveAt('A') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    SimDriveAt('B') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    Scan();
    EXPECT_EQ(list.nFound, 0);
    std::vector<std::string> astrOpens = TraceLinesStartingWith("open");
    ASSERT_EQ(astrOpens.size(), 24u);
    EXPECT_EQ(astrOpens.front(), "open C fail");
    EXPECT_EQ(astrOpens.back(), "open Z fail");
}

TEST_F(DriveScanTest, TwoDrivesOfOneModelBecomeTargetsInLetterOrder)
{
    SimDriveAt('G') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "XYZ-DRIVE", "1.01");
    Scan();
    EXPECT_EQ(list.nFound, 2);
    ASSERT_EQ(list.nTargets, 2);
    EXPECT_EQ(list.achTargetLetter[0], 'E');
    EXPECT_EQ(list.achTargetLetter[1], 'G');
    EXPECT_EQ(list.astrTargetEntry[0], L"E:XYZ-DRIVE       1.01");
    EXPECT_EQ(list.astrTargetEntry[1], L"G:ABC-DRIVE       1.02");
    EXPECT_EQ(list.achTargetLetter[2], 0);
}

TEST_F(DriveScanTest, ACurrentDriveCountsOnlyTowardFound)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5121ACME", "ABC-DRIVE", "1.10");
    SimDriveAt('F') = MakeTargetDrive("KDR 5121ACME", "ABC-DRIVE", "1.02");
    Scan();
    EXPECT_EQ(list.nFound, 2);
    ASSERT_EQ(list.nTargets, 1);
    EXPECT_EQ(list.achTargetLetter[0], 'F');
}

TEST_F(DriveScanTest, OtherTagsAndOtherProductsAreNotCounted)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120OTHR", "ABC-DRIVE", "1.02");
    SimDriveAt('F') = MakeTargetDrive("KDR 5320ACME", "ABC-DRIVE", "1.02");
    SimDriveAt('G') = MakeSimDrive();  // answers, but all zero vendor identity
    Scan();
    EXPECT_EQ(list.nFound, 0);
    EXPECT_EQ(list.nTargets, 0);
}

TEST_F(DriveScanTest, RecognisedDriveWithoutInquiryDataGetsLetterAndColonAndIsOutdated)
{
    SimDrive drive = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.10");
    drive.abInquiry.clear();
    SimDriveAt('E') = drive;
    Scan();
    ASSERT_EQ(list.nTargets, 1);
    EXPECT_EQ(list.astrTargetEntry[0], L"E:");
}

TEST_F(DriveScanTest, EachRecognisedLetterGetsThreeCommandsOnFreshHandles)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    Scan();
    std::vector<std::string> astrE;
    for (const std::string& strLine : g_astrSimTrace) {
        if (strLine.find(" E") != std::string::npos)
            astrE.push_back(strLine);
    }
    EXPECT_EQ(astrE, (std::vector<std::string>{
                         "open E ok", "send E 3C 02 F1 00 00 00 00 00 30 00 00 00 len 48 status 00", "close E",
                         "open E ok", "send E 12 00 00 00 FE 00 00 00 00 00 00 00 len 254 status 00", "close E",
                         "open E ok", "send E 12 00 00 00 FE 00 00 00 00 00 00 00 len 254 status 00", "close E"}));
    EXPECT_EQ(g_nSimMostOpenHandles, 1);
    EXPECT_EQ(g_hDrive, OS_INVALID_HANDLE);
}

TEST_F(DriveScanTest, EntryStopsAtTwentyCharacters)
{
    SimDrive drive = MakeTargetDrive("KDR 5120ACME", "ABCDEFGHIJKLMNOP", "1.02");
    drive.abInquiry.resize(60, 'Z');
    SimDriveAt('E') = drive;
    Scan();
    ASSERT_EQ(list.nTargets, 1);
    EXPECT_EQ(list.astrTargetEntry[0], L"E:ABCDEFGHIJKLMNOP1.02");
}

TEST_F(DriveScanTest, AllTwentyFourLettersFitTheList)
{
    for (char ch = 'C'; ch <= 'Z'; ++ch)
        SimDriveAt(ch) = MakeTargetDrive(ch % 2 ? "KDR 5120ACME" : "KDR 5121ACME", "ABC-DRIVE", "1.02");
    Scan();
    EXPECT_EQ(list.nFound, 24);
    EXPECT_EQ(list.nTargets, 24);
    EXPECT_EQ(list.achTargetLetter[23], 'Z');
}

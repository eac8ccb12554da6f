#include "updater/updater_package.h"
#include "tests/native/sim_fixture.h"

class UpdaterPackageTest : public SimTest {};

TEST_F(UpdaterPackageTest, OneMatchingPackageAloneIsFound)
{
    AddSimFile(L".", true);
    AddSimFile(L"..", true);
    AddSimFile(L"FW5120.exe");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"C:\\fw\\FW5120.exe");
}

struct CandidateCase {
    const wchar_t* pszName;
    bool b5120;
    bool b5121;
};

// An executable whose name holds the digits as a number of their own.
TEST_F(UpdaterPackageTest, CandidateIsAnExeWithTheDigitsStandingAlone)
{
    const CandidateCase aCases[] = {
        {L"FW5120.exe", true, false},
        {L"KDR5120A.exe", true, false},
        {L"fw_5120_v2.exe", true, false},
        {L"5120.exe", true, false},
        {L"fw5120.EXE", true, false},
        {L"FW5120_20251215.exe", true, false},
        {L"FW51201.exe", false, false},
        {L"FW15120.exe", false, false},
        {L"FW5120-notes.txt", false, false},
        {L"FW5120 Release Notes.pdf", false, false},
        {L"5120.log", false, false},
        {L"FW5120.exe.txt", false, false},
        {L"FW5120_5121.exe", true, true},
        {L"5120", false, false},
        {L".exe", false, false},
    };
    for (const CandidateCase& c : aCases) {
        EXPECT_EQ(IsUpdaterCandidate(c.pszName, L"5120"), c.b5120) << NarrowSimText(c.pszName);
        EXPECT_EQ(IsUpdaterCandidate(c.pszName, L"5121"), c.b5121) << NarrowSimText(c.pszName);
    }
}

TEST_F(UpdaterPackageTest, ADateThatHoldsTheOtherModelsDigitsIsNotItsUpdater)
{
    AddSimFile(L"FW5120_20251215.exe");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5121), L"");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"C:\\fw\\FW5120_20251215.exe");
}

TEST_F(UpdaterPackageTest, FilesThatAreNotExecutablesAreNeverChosen)
{
    AddSimFile(L"FW5120-notes.txt");
    AddSimFile(L"FW5120 Release Notes.pdf");
    AddSimFile(L"5120.log");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"");
    UpdaterSearch search = SearchUpdaterCandidates(MODEL_CODE_5120);
    EXPECT_EQ(search.nCandidates, 0);
    EXPECT_EQ(search.strNonCandidate, L"FW5120-notes.txt");
    AddSimFile(L"FW5120.exe");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"C:\\fw\\FW5120.exe");
}

TEST_F(UpdaterPackageTest, SearchCountsCandidatesAndThoseOfBothModels)
{
    AddSimFile(L"FW5120.exe");
    AddSimFile(L"FW5120_5121.exe");
    AddSimFile(L"old5120", true);
    UpdaterSearch search5120 = SearchUpdaterCandidates(MODEL_CODE_5120);
    EXPECT_EQ(search5120.strPath, L"C:\\fw\\FW5120.exe");
    EXPECT_EQ(search5120.nCandidates, 2);
    EXPECT_EQ(search5120.nSharedCandidates, 1);
    UpdaterSearch search5121 = SearchUpdaterCandidates(MODEL_CODE_5121);
    EXPECT_EQ(search5121.strPath, L"C:\\fw\\FW5120_5121.exe");
    EXPECT_EQ(search5121.nCandidates, 1);
    EXPECT_EQ(search5121.nSharedCandidates, 1);
}

TEST_F(UpdaterPackageTest, FirstMatchInListingOrderWins)
{
    AddSimFile(L"readme.txt");
    AddSimFile(L"B5120.exe");
    AddSimFile(L"A5120.exe");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"C:\\fw\\B5120.exe");
}

TEST_F(UpdaterPackageTest, DirectoriesAreSkipped)
{
    AddSimFile(L"5120", true);
    AddSimFile(L"old5120", true);
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"");
    AddSimFile(L"FW5120.exe");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"C:\\fw\\FW5120.exe");
}

TEST_F(UpdaterPackageTest, ModelDigitsDoNotMatchEachOther)
{
    AddSimFile(L"FW5121.exe");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5121), L"C:\\fw\\FW5121.exe");
    g_aSimFiles.clear();
    AddSimFile(L"FW5120.exe");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5121), L"");
}

TEST_F(UpdaterPackageTest, DigitsInTheFolderPathDoNotMatchOtherFiles)
{
    g_strSimCurrentDirectory = L"C:\\fw\\5120_5121\\";
    AddSimFile(L"notes.txt");
    AddSimFile(L"setup.exe");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"");
    AddSimFile(L"FW5120.exe");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"C:\\fw\\5120_5121\\FW5120.exe") << "no second backslash";
}

TEST_F(UpdaterPackageTest, AnyCaseOfExeAndEmptyFolderFindsNothing)
{
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"");
    AddSimFile(L"fw5120.EXE");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"C:\\fw\\fw5120.EXE");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_NONE), L"");
}

TEST_F(UpdaterPackageTest, PackageDigitsTable)
{
    EXPECT_EQ(PackageDigits(MODEL_CODE_5121), L"5121");
    EXPECT_EQ(PackageDigits(MODEL_CODE_5321), L"5321");
    EXPECT_EQ(PackageDigits(MODEL_CODE_5120), L"5120");
    EXPECT_EQ(PackageDigits(MODEL_CODE_5320), L"5320");
    EXPECT_EQ(PackageDigits(MODEL_CODE_NONE), L"");
}

TEST_F(UpdaterPackageTest, RunKeepsTheMachineAwakeAroundStartAndWait)
{
    AddSimFile(L"FW5120.exe");
    EXPECT_TRUE(RunUpdater(L"C:\\fw\\FW5120.exe"));
    EXPECT_EQ(g_astrSimTrace, (std::vector<std::string>{"awake on", "start C:\\fw\\FW5120.exe", "wait", "awake off"}));
    EXPECT_FALSE(g_bSimAwake);
}

TEST_F(UpdaterPackageTest, FailedStartIsFalseAndStillReleasesTheAwakeRequest)
{
    AddSimFile(L"FW5120.exe", false, false);
    EXPECT_FALSE(RunUpdater(L"C:\\fw\\FW5120.exe"));
    EXPECT_EQ(g_astrSimTrace,
              (std::vector<std::string>{"awake on", "start C:\\fw\\FW5120.exe", "wait none", "awake off"}));
    EXPECT_FALSE(g_bSimAwake);
}

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

TEST_F(UpdaterPackageTest, DigitsAnywhereInTheNameMatchEvenAlone)
{
    for (const wchar_t* pszName : {L"5120.exe", L"5120", L"update-5120-v2.exe", L"x5120"}) {
        g_aSimFiles.clear();
        AddSimFile(pszName);
        EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), DriveText(L"C:\\fw\\") + pszName);
    }
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

TEST_F(UpdaterPackageTest, SearchIsCaseSensitiveAndEmptyFolderFindsNothing)
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
    AddSimFile(L"FW5120.dat", false, false);
    EXPECT_FALSE(RunUpdater(L"C:\\fw\\FW5120.dat"));
    EXPECT_EQ(g_astrSimTrace,
              (std::vector<std::string>{"awake on", "start C:\\fw\\FW5120.dat", "wait none", "awake off"}));
    EXPECT_FALSE(g_bSimAwake);
}

#include <gtest/gtest.h>

#include <vector>

#include "tests/win32/win32_support.h"
#include "updater/updater_package.h"

// The locator and launcher in real folders, over the real directory
// listing and ShellExecuteExW.
class UpdaterFolderTest : public ::testing::Test {
protected:
    void SetUp() override { GetCurrentDirectoryW(MAX_PATH, szPrevious); }
    void TearDown() override
    {
        SetCurrentDirectoryW(szPrevious);
        for (const std::wstring& strFolder : astrFolders)
            RemoveFolderTree(strFolder);
    }
    // Makes a folder with the files (a trailing backslash marks a directory)
    // and makes it the current directory.
    std::wstring EnterFolder(const std::wstring& strSuffix, const std::vector<std::wstring>& astrNames)
    {
        std::wstring strFolder = MakeTempFolder(strSuffix);
        astrFolders.push_back(strFolder);
        for (const std::wstring& strName : astrNames) {
            if (!strName.empty() && strName.back() == L'\\')
                CreateDirectoryW((strFolder + L"\\" + strName).c_str(), nullptr);
            else
                CreateEmptyFile(strFolder + L"\\" + strName);
        }
        SetCurrentDirectoryW(strFolder.c_str());
        wchar_t szCurrent[MAX_PATH] = {0};
        GetCurrentDirectoryW(MAX_PATH, szCurrent);
        return szCurrent;
    }
    // The listing's own order of the files whose names contain strDigits.
    static std::vector<std::wstring> ListedMatches(const std::wstring& strDigits)
    {
        std::vector<std::wstring> astrNames;
        WIN32_FIND_DATAW data;
        HANDLE hFind = FindFirstFileW(L"*.*", &data);
        if (hFind == INVALID_HANDLE_VALUE)
            return astrNames;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && wcsstr(data.cFileName, strDigits.c_str()))
                astrNames.push_back(data.cFileName);
        } while (FindNextFileW(hFind, &data));
        FindClose(hFind);
        return astrNames;
    }
    wchar_t szPrevious[MAX_PATH] = {0};
    std::vector<std::wstring> astrFolders;
};

TEST_F(UpdaterFolderTest, OneMatchingPackageAloneIsFound)
{
    std::wstring strFolder = EnterFolder(L"one", {L"FW5120.exe"});
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), strFolder + L"\\FW5120.exe");
}

TEST_F(UpdaterFolderTest, TwoMatchingFilesGiveTheFirstInListingOrder)
{
    std::wstring strFolder = EnterFolder(L"two", {L"B_FW5120.exe", L"A_FW5120.exe", L"notes.txt"});
    std::vector<std::wstring> astrListed = ListedMatches(L"5120");
    ASSERT_EQ(astrListed.size(), 2u);
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), strFolder + L"\\" + astrListed[0]);
}

TEST_F(UpdaterFolderTest, SubdirectoryNamedWithTheDigitsIsSkipped)
{
    std::wstring strFolder = EnterFolder(L"dir", {L"FW5120\\", L"old5120\\"});
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"");
    CreateEmptyFile(strFolder + L"\\FW5120.exe");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), strFolder + L"\\FW5120.exe");
}

TEST_F(UpdaterFolderTest, DigitsOfOneModelDoNotMatchTheOther)
{
    std::wstring strFolder = EnterFolder(L"models", {L"FW5121.exe"});
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5121), strFolder + L"\\FW5121.exe");
    DeleteFileW((strFolder + L"\\FW5121.exe").c_str());
    CreateEmptyFile(strFolder + L"\\FW5120.exe");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5121), L"");
}

TEST_F(UpdaterFolderTest, FolderPathWithTheDigitsDoesNotMatchOtherFiles)
{
    std::wstring strFolder = EnterFolder(L"_5120_5121", {L"readme.txt", L"setup.exe", L"zzz.bin"});
    EXPECT_NE(strFolder.find(L"5120"), std::wstring::npos);
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5120), L"");
    EXPECT_EQ(FindUpdaterPackage(MODEL_CODE_5121), L"");
}

TEST_F(UpdaterFolderTest, RunUpdaterWaitsForThePackageToEnd)
{
    std::wstring strFolder = EnterFolder(L"run", {});
    ASSERT_TRUE(
        CopyFileW((ProgramFolder() + L"fake-updater.exe").c_str(), (strFolder + L"\\FW5120.exe").c_str(), FALSE));
    std::wstring strTrace = strFolder + L"\\trace.txt";
    SetEnvironmentVariableW(L"FWLAUNCH_SIM_TRACE", strTrace.c_str());
    SetEnvironmentVariableW(L"FAKE_UPDATER_SLEEP_MS", L"3000");
    DWORD nStart = GetTickCount();
    bool bStarted = RunUpdater(FindUpdaterPackage(MODEL_CODE_5120));
    DWORD nElapsed = GetTickCount() - nStart;
    SetEnvironmentVariableW(L"FWLAUNCH_SIM_TRACE", nullptr);
    SetEnvironmentVariableW(L"FAKE_UPDATER_SLEEP_MS", nullptr);
    EXPECT_TRUE(bStarted);
    EXPECT_GE(nElapsed, 3000u);
    std::string strTraceText;
    ASSERT_TRUE(ReadWholeFile(strTrace, &strTraceText)) << "the package had not ended";
    EXPECT_EQ(strTraceText, "run FW5120.exe\n");
}

TEST_F(UpdaterFolderTest, FileWithNoAssociatedProgramDoesNotStart)
{
    EnterFolder(L"dat", {L"FW5120.dat"});
    // With a display the shell reports this in a box captioned "Error".
    std::wstring strOut = astrFolders.back() + L"\\boxes.txt";
    HANDLE hHelper = StartBoxHelper(strOut, L"ok", 1);
    bool bStarted = RunUpdater(FindUpdaterPackage(MODEL_CODE_5120));
    std::string strReport = FinishBoxHelper(hHelper, strOut);
    EXPECT_FALSE(bStarted);
    EXPECT_NE(strReport.find("caption: Error\n"), std::string::npos) << strReport;
}

#include "updater/updater_package.h"

#include "platform/platform.h"

DriveText PackageDigits(ModelCode nCode)
{
    switch (nCode) {
    case MODEL_CODE_5121: return L"5121";
    case MODEL_CODE_5321: return L"5321";
    case MODEL_CODE_5120: return L"5120";
    case MODEL_CODE_5320: return L"5320";
    default: return DriveText();
    }
}

static bool IsSkippedEntry(const DirectoryEntry& entry)
{
    return entry.bDirectory || entry.strName == L"." || entry.strName == L"..";
}

static DriveText JoinPath(const DriveText& strDirectory, const DriveText& strName)
{
    DriveText strPath = strDirectory;
    if (strPath.empty() || (strPath.back() != L'\\' && strPath.back() != L'/'))
        strPath += L'\\';
    return strPath + strName;
}

DriveText FindUpdaterPackage(ModelCode nCode)
{
    DriveText strDigits = PackageDigits(nCode);
    if (strDigits.empty())
        return DriveText();
    DirectoryEntry entry;
    OsHandle hListing = OpenDirectoryListing(L"*.*", &entry);
    if (hListing == OS_INVALID_HANDLE)
        return DriveText();
    DriveText strResult;
    // Only the file name counts: a folder such as C:\fw\5120_5121\ must not
    // turn its first file into every model's package.
    do {
        if (!IsSkippedEntry(entry) && FindText(entry.strName, strDigits) >= 0) {
            strResult = JoinPath(GetCurrentDirectoryPath(), entry.strName);
            break;
        }
    } while (ReadNextDirectoryEntry(hListing, &entry));
    CloseDirectoryListing(hListing);
    return strResult;
}

bool RunUpdater(const DriveText& strPath)
{
    return RunUpdaterPackage(strPath, PACKAGE_START_SHELL_UI).bStarted;
}

PackageRun RunUpdaterPackage(const DriveText& strPath, uint32_t nStartFlags)
{
    PackageRun run = {false, false, 0};
    // A machine that sleeps while firmware is written can leave a drive unusable.
    KeepSystemAwake(true);
    OsHandle hProcess = OS_INVALID_HANDLE;
    run.bStarted = StartPackageProcess(strPath, nStartFlags, &hProcess);
    WaitForPackageProcess(hProcess);
    run.bExitCodeRead = run.bStarted && ReadPackageExitCode(hProcess, &run.nExitCode);
    KeepSystemAwake(false);
    return run;
}

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

static bool IsDigit(wchar_t ch)
{
    return ch >= L'0' && ch <= L'9';
}

static bool EndsWithExe(const DriveText& strName)
{
    static const wchar_t SZ_EXE[] = L".exe";
    if (strName.size() <= 4)
        return false;
    for (size_t i = 0; i < 4; ++i) {
        wchar_t ch = strName[strName.size() - 4 + i];
        if (ch >= L'A' && ch <= L'Z')
            ch = static_cast<wchar_t>(ch - L'A' + L'a');
        if (ch != SZ_EXE[i])
            return false;
    }
    return true;
}

// Whether the digits occur in the name as a number of their own, anywhere.
static bool HoldsDigitsAlone(const DriveText& strName, const DriveText& strDigits)
{
    for (size_t nPos = strName.find(strDigits); nPos != DriveText::npos; nPos = strName.find(strDigits, nPos + 1)) {
        size_t nEnd = nPos + strDigits.size();
        if ((nPos == 0 || !IsDigit(strName[nPos - 1])) && (nEnd == strName.size() || !IsDigit(strName[nEnd])))
            return true;
    }
    return false;
}

bool IsUpdaterCandidate(const DriveText& strName, const DriveText& strDigits)
{
    return !strDigits.empty() && EndsWithExe(strName) && HoldsDigitsAlone(strName, strDigits);
}

// The other model that a drive can be recognised as.
static ModelCode OtherRecognisedModel(ModelCode nCode)
{
    if (nCode == MODEL_CODE_5120)
        return MODEL_CODE_5121;
    if (nCode == MODEL_CODE_5121)
        return MODEL_CODE_5120;
    return MODEL_CODE_NONE;
}

static DriveText JoinPath(const DriveText& strDirectory, const DriveText& strName)
{
    DriveText strPath = strDirectory;
    if (strPath.empty() || (strPath.back() != L'\\' && strPath.back() != L'/'))
        strPath += L'\\';
    return strPath + strName;
}

UpdaterSearch SearchUpdaterCandidates(ModelCode nCode)
{
    UpdaterSearch search = {DriveText(), 0, 0, DriveText()};
    DriveText strDigits = PackageDigits(nCode);
    DriveText strOtherDigits = PackageDigits(OtherRecognisedModel(nCode));
    DirectoryEntry entry;
    OsHandle hListing = strDigits.empty() ? OS_INVALID_HANDLE : OpenDirectoryListing(L"*.*", &entry);
    if (hListing == OS_INVALID_HANDLE)
        return search;
    // Only the file name counts: a folder such as C:\fw\5120_5121\ must not
    // turn its first file into every model's package.
    do {
        if (entry.bDirectory)
            continue;
        if (IsUpdaterCandidate(entry.strName, strDigits)) {
            if (search.nCandidates++ == 0)
                search.strPath = JoinPath(GetCurrentDirectoryPath(), entry.strName);
            if (IsUpdaterCandidate(entry.strName, strOtherDigits))
                ++search.nSharedCandidates;
        } else if (search.strNonCandidate.empty() && FindText(entry.strName, strDigits) >= 0) {
            search.strNonCandidate = entry.strName;
        }
    } while (ReadNextDirectoryEntry(hListing, &entry));
    CloseDirectoryListing(hListing);
    return search;
}

DriveText FindUpdaterPackage(ModelCode nCode)
{
    return SearchUpdaterCandidates(nCode).strPath;
}

bool RunUpdater(const DriveText& strPath)
{
    return RunUpdaterPackage(strPath).bStarted;
}

PackageRun RunUpdaterPackage(const DriveText& strPath)
{
    PackageRun run = {false, false, 0, false};
    // A machine that sleeps while firmware is written can leave a drive unusable.
    KeepSystemAwake(true);
    OsHandle hProcess = OS_INVALID_HANDLE;
    run.bStarted = StartPackageProcess(strPath, &hProcess);
    WaitForPackageProcess(hProcess);
    run.bExitCodeRead = run.bStarted && ReadPackageExitCode(hProcess, &run.nExitCode);
    KeepSystemAwake(false);
    return run;
}

PackageRun RunUpdaterExecutable(const DriveText& strPath, const DriveText& strArguments, uint32_t nWaitMilliseconds)
{
    PackageRun run = {false, false, 0, false};
    KeepSystemAwake(true);
    OsHandle hProcess = OS_INVALID_HANDLE;
    run.bStarted = StartPackageExecutable(strPath, strArguments, GetCurrentDirectoryPath(), &hProcess);
    // An updater still running at the limit may be writing a drive: it is left to finish.
    run.bTimedOut = run.bStarted && !WaitForPackageProcessFor(hProcess, nWaitMilliseconds);
    run.bExitCodeRead = run.bStarted && !run.bTimedOut && ReadPackageExitCode(hProcess, &run.nExitCode);
    KeepSystemAwake(false);
    return run;
}

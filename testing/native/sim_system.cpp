#include "testing/native/sim_system.h"

#include "platform/platform.h"
#include "platform/update_lock_rule.h"
#include "testing/native/sim_catalogue.h"
#include "testing/drives/sim_drives.h"

const OsHandle OS_INVALID_HANDLE = reinterpret_cast<OsHandle>(static_cast<intptr_t>(-1));

bool g_bSimHasModule = true;
bool g_bSimHasConsole = true;
uint32_t g_nSimErrorMode = 0;
DriveText g_strSimConsoleOut;
int g_nSimConsoleReads = 0;
uint32_t g_nSimUiLanguage = 1033;
std::vector<SimBox> g_aSimBoxes;
std::deque<int> g_anSimBoxAnswers;
void (*g_pfnSimWhileBoxOpen)(const SimBox& box) = nullptr;
void (*g_pfnSimWhileUpdaterRuns)() = nullptr;
DriveText g_strSimCurrentDirectory;
std::vector<SimFile> g_aSimFiles;
bool g_bSimAwake = false;
DriveText g_strSimErrorOut;
std::map<DriveText, std::string> g_mapSimWrittenFiles;
bool g_bSimFilesWritable = true;
std::map<DriveText, std::string> g_mapSimAppendedFiles;
DriveText g_strSimUtcTime;
bool g_bSimElevated = true;
bool g_bSimWindowStationVisible = true;
int g_nSimUpdateLock = UPDATE_LOCK_TAKEN;
uint32_t g_nSimUpdateLockError = 0;
bool g_bSimOnBattery = false;
SystemFacts g_simSystemFacts;
uint64_t g_nSimMilliseconds = 0;
std::map<DriveText, std::string> g_mapSimSmallFiles;
std::vector<DriveText> g_astrSimRemovedFiles;
std::map<DriveText, SimRecordKey> g_mapSimRecordKeys;
uint32_t g_nSimRecordError;

static int g_nSimModuleToken;
static const uintptr_t SIM_LISTING_HANDLE = 0x7100;
static size_t g_nSimListingNext;
static const uintptr_t SIM_PROCESS_HANDLE = 0x7200;
static const uintptr_t SIM_LOCK_HANDLE = 0x7300;
static const uintptr_t SIM_APPEND_HANDLE = 0x7400;
static std::vector<DriveText> g_astrSimAppendPaths;
static uint32_t g_nSimLastExitCode;
static const SimFile* g_pSimLastStarted;
static const uintptr_t SIM_PACKAGE_FILE_HANDLE = 0x7500;

void ResetSimSystem()
{
    ResetSimDrives();
    g_bSimHasModule = true;
    g_bSimHasConsole = true;
    g_nSimErrorMode = 0;
    g_strSimConsoleOut.clear();
    g_nSimConsoleReads = 0;
    g_nSimUiLanguage = 1033;
    g_aSimBoxes.clear();
    g_anSimBoxAnswers.clear();
    g_pfnSimWhileBoxOpen = nullptr;
    g_pfnSimWhileUpdaterRuns = nullptr;
    g_strSimCurrentDirectory = L"C:\\fw";
    g_aSimFiles.clear();
    g_bSimAwake = false;
    g_strSimErrorOut.clear();
    g_mapSimWrittenFiles.clear();
    g_bSimFilesWritable = true;
    g_mapSimAppendedFiles.clear();
    g_astrSimAppendPaths.clear();
    g_strSimUtcTime = L"2026-01-02T03:04:05Z";
    g_nSimLastExitCode = 0;
    g_bSimElevated = true;
    g_bSimWindowStationVisible = true;
    g_nSimUpdateLock = UPDATE_LOCK_TAKEN;
    g_nSimUpdateLockError = 0;
    g_astrSimRemovedFiles.clear();
    g_mapSimRecordKeys.clear();
    g_nSimRecordError = 0;
    g_bSimOnBattery = false;
    g_simSystemFacts = {OS_ARCHITECTURE_X86, OS_ARCHITECTURE_X64, false, 10, 0, 19045};
    g_nSimMilliseconds = 0;
    g_mapSimSmallFiles.clear();
    g_pSimLastStarted = nullptr;
}

bool IsProcessElevated()
{
    return g_bSimElevated;
}

bool IsWindowStationVisible()
{
    return g_bSimWindowStationVisible;
}

int TakeUpdateLock(OsHandle* phLock, uint32_t* pnError)
{
    *phLock = OS_INVALID_HANDLE;
    *pnError = 0;
    if (g_nSimUpdateLock == UPDATE_LOCK_BUSY || g_nSimUpdateLock == UPDATE_LOCK_FAILED) {
        RecordSimEvent(g_nSimUpdateLock == UPDATE_LOCK_BUSY ? "lock busy" : "lock failed");
        *pnError = g_nSimUpdateLock == UPDATE_LOCK_FAILED ? g_nSimUpdateLockError : 0;
        return g_nSimUpdateLock;
    }
    RecordSimEvent("lock taken");
    *phLock = reinterpret_cast<OsHandle>(SIM_LOCK_HANDLE);
    return g_nSimUpdateLock;
}

void ReleaseUpdateLock(OsHandle hLock)
{
    if (hLock == OS_INVALID_HANDLE)
        return;
    RecordSimEvent("lock released");
}

OsHandle OpenAppendFile(const DriveText& strPath)
{
    if (!g_bSimFilesWritable)
        return OS_INVALID_HANDLE;
    g_astrSimAppendPaths.push_back(strPath);
    g_mapSimAppendedFiles[strPath];
    return reinterpret_cast<OsHandle>(SIM_APPEND_HANDLE + g_astrSimAppendPaths.size() - 1);
}

bool AppendToFile(OsHandle hFile, const std::string& strBytes)
{
    size_t nIndex = reinterpret_cast<uintptr_t>(hFile) - SIM_APPEND_HANDLE;
    if (hFile == OS_INVALID_HANDLE || nIndex >= g_astrSimAppendPaths.size())
        return false;
    g_mapSimAppendedFiles[g_astrSimAppendPaths[nIndex]] += strBytes;
    return true;
}

void CloseAppendFile(OsHandle)
{
}

DriveText UtcTimeStamp()
{
    return g_strSimUtcTime;
}

std::string Utf8FromText(const DriveText& strText)
{
    std::string strBytes;
    for (size_t i = 0; i < strText.size(); ++i) {
        uint32_t nCode = static_cast<uint32_t>(strText[i]);
        // Text from a UTF-16 system carries characters past U+FFFF as two halves.
        if (nCode >= 0xD800 && nCode < 0xDC00 && i + 1 < strText.size() && strText[i + 1] >= 0xDC00 &&
            strText[i + 1] < 0xE000)
            nCode = 0x10000 + ((nCode - 0xD800) << 10) + (static_cast<uint32_t>(strText[++i]) - 0xDC00);
        else if ((nCode >= 0xD800 && nCode < 0xE000) || nCode > 0x10FFFF)
            nCode = 0xFFFD;
        if (nCode < 0x80) {
            strBytes += static_cast<char>(nCode);
        } else if (nCode < 0x800) {
            strBytes += static_cast<char>(0xC0 | (nCode >> 6));
            strBytes += static_cast<char>(0x80 | (nCode & 0x3F));
        } else if (nCode < 0x10000) {
            strBytes += static_cast<char>(0xE0 | (nCode >> 12));
            strBytes += static_cast<char>(0x80 | ((nCode >> 6) & 0x3F));
            strBytes += static_cast<char>(0x80 | (nCode & 0x3F));
        } else {
            strBytes += static_cast<char>(0xF0 | (nCode >> 18));
            strBytes += static_cast<char>(0x80 | ((nCode >> 12) & 0x3F));
            strBytes += static_cast<char>(0x80 | ((nCode >> 6) & 0x3F));
            strBytes += static_cast<char>(0x80 | (nCode & 0x3F));
        }
    }
    return strBytes;
}

void WriteErrorWide(const DriveText& strText)
{
    g_strSimErrorOut += strText;
}

bool CanWriteWholeFile(const DriveText&)
{
    return g_bSimFilesWritable;
}

bool ReplaceFileWhole(const DriveText& strPath, const std::string& strBytes)
{
    if (!g_bSimFilesWritable)
        return false;
    g_mapSimWrittenFiles[strPath] = strBytes;
    RecordSimEvent("write " + NarrowSimText(strPath));
    return true;
}

bool RemoveWholeFile(const DriveText& strPath)
{
    if (!g_bSimFilesWritable)
        return false;
    g_mapSimWrittenFiles.erase(strPath);
    g_astrSimRemovedFiles.push_back(strPath);
    RecordSimEvent("remove " + NarrowSimText(strPath));
    return true;
}

bool WriteMachineRecord(const DriveText& strKey, bool bVolatile, const RecordValue* aValues, int nValues,
                        uint32_t* pnError)
{
    *pnError = g_nSimRecordError;
    if (g_nSimRecordError != 0)
        return false;
    RecordSimEvent("record " + NarrowSimText(strKey));
    auto it = g_mapSimRecordKeys.find(strKey);
    if (it == g_mapSimRecordKeys.end())
        it = g_mapSimRecordKeys.emplace(strKey, SimRecordKey{bVolatile, {}}).first;
    for (int i = 0; i < nValues; ++i) {
        const RecordValue& value = aValues[i];
        if (value.nKind == RECORD_VALUE_DELETE)
            it->second.mapValues.erase(value.pszName);
        else if (value.nKind != RECORD_VALUE_KEEP)
            it->second.mapValues[value.pszName] =
                SimRecordValue{value.nKind == RECORD_VALUE_NUMBER, value.strText, value.nNumber};
    }
    return true;
}

bool ReadMachineRecordText(const DriveText& strKey, const wchar_t* pszName, DriveText* pstrText)
{
    pstrText->clear();
    auto itKey = g_mapSimRecordKeys.find(strKey);
    if (itKey == g_mapSimRecordKeys.end())
        return false;
    auto itValue = itKey->second.mapValues.find(pszName);
    if (itValue == itKey->second.mapValues.end() || itValue->second.bNumber)
        return false;
    *pstrText = itValue->second.strText;
    return true;
}

void RestartSimWindows()
{
    for (auto it = g_mapSimRecordKeys.begin(); it != g_mapSimRecordKeys.end();)
        it = it->second.bVolatile ? g_mapSimRecordKeys.erase(it) : std::next(it);
}

// A SHA-256 of the file's own, from its name, so that two files differ.
static DriveText DefaultSimSha256(const DriveText& strName)
{
    static const wchar_t SZ_HEX[] = L"0123456789abcdef";
    uint32_t nSeed = 2166136261u;
    for (wchar_t ch : strName)
        nSeed = (nSeed ^ static_cast<uint32_t>(ch)) * 16777619u;
    DriveText strHex;
    for (int i = 0; i < 64; ++i, nSeed = nSeed * 1103515245u + 12345u)
        strHex += SZ_HEX[(nSeed >> 16) & 15];
    return strHex;
}

SimFile MakeSimFile(const DriveText& strName, bool bDirectory, bool bStarts, uint32_t nExitCode)
{
    SimFile file;
    file.strName = strName;
    file.bDirectory = bDirectory;
    file.bStarts = bStarts;
    file.nExitCode = nExitCode;
    file.strSha256 = DefaultSimSha256(strName);
    return file;
}

void AddSimFile(const DriveText& strName, bool bDirectory, bool bStarts, uint32_t nExitCode)
{
    g_aSimFiles.push_back(MakeSimFile(strName, bDirectory, bStarts, nExitCode));
}

std::string NarrowSimText(const DriveText& strText)
{
    std::string strResult;
    for (wchar_t ch : strText)
        strResult += ch < 0x80 ? static_cast<char>(ch) : '?';
    return strResult;
}

DriveText WidenAnsi(const uint8_t* pbText, size_t cbMax)
{
    DriveText strResult;
    for (size_t i = 0; i < cbMax && pbText[i] != 0; ++i)
        strResult += static_cast<wchar_t>(pbText[i]);
    return strResult;
}

OsModule GetOwnModule()
{
    return g_bSimHasModule ? &g_nSimModuleToken : nullptr;
}

DriveText GetModulePath(OsModule)
{
    return L"C:\\tools\\fwlaunch.exe";
}

void AddProcessErrorMode(uint32_t nFlags)
{
    g_nSimErrorMode |= nFlags;
}

bool HasConsoleWindow()
{
    RecordSimEvent("console check");
    return g_bSimHasConsole;
}

void WriteConsoleNarrow(const char* pszText)
{
    for (const char* pch = pszText; *pch; ++pch)
        g_strSimConsoleOut += static_cast<wchar_t>(static_cast<unsigned char>(*pch));
}

void WriteConsoleWide(const DriveText& strText)
{
    g_strSimConsoleOut += strText;
}

void ReadConsoleChar()
{
    ++g_nSimConsoleReads;
}

bool LoadStringResource(OsModule hModule, uint32_t nId, DriveText* pstrText)
{
    if (hModule == nullptr)
        return false;
    uint32_t nLanguage = g_nSimUiLanguage == 1041 ? 1041 : 1033;
    for (size_t i = 0; i < SIM_CATALOGUE_SIZE; ++i) {
        const SimCatalogueEntry& entry = SIM_CATALOGUE[i];
        if (entry.nLanguage == nLanguage && entry.nId == nId && entry.pszText[0] != 0) {
            *pstrText = entry.pszText;
            return true;
        }
    }
    return false;
}

int ShowMessageBox(const DriveText& strText, const DriveText& strCaption, uint32_t nKind)
{
    g_aSimBoxes.push_back(SimBox{strText, strCaption, nKind});
    RecordSimEvent(nKind == BOX_KIND_OK_CANCEL ? "box ok-cancel" : "box ok");
    if (g_pfnSimWhileBoxOpen != nullptr)
        g_pfnSimWhileBoxOpen(g_aSimBoxes.back());
    if (g_anSimBoxAnswers.empty())
        return BOX_RESULT_OK;
    int nAnswer = g_anSimBoxAnswers.front();
    g_anSimBoxAnswers.pop_front();
    return nAnswer;
}

DriveText GetCurrentDirectoryPath()
{
    return g_strSimCurrentDirectory;
}

OsHandle OpenDirectoryListing(const DriveText&, DirectoryEntry* pEntry)
{
    if (g_aSimFiles.empty())
        return OS_INVALID_HANDLE;
    g_nSimListingNext = 0;
    ReadNextDirectoryEntry(reinterpret_cast<OsHandle>(SIM_LISTING_HANDLE), pEntry);
    return reinterpret_cast<OsHandle>(SIM_LISTING_HANDLE);
}

bool ReadNextDirectoryEntry(OsHandle, DirectoryEntry* pEntry)
{
    if (g_nSimListingNext >= g_aSimFiles.size())
        return false;
    const SimFile& file = g_aSimFiles[g_nSimListingNext++];
    pEntry->strName = file.strName;
    pEntry->bDirectory = file.bDirectory;
    return true;
}

void CloseDirectoryListing(OsHandle)
{
}

static const SimFile* FindSimFileByPath(const DriveText& strPath)
{
    for (const SimFile& file : g_aSimFiles) {
        DriveText strFull = g_strSimCurrentDirectory + L"\\" + file.strName;
        if (!file.bDirectory && strFull == strPath)
            return &file;
    }
    return nullptr;
}

bool StartPackageProcess(const DriveText& strPath, OsHandle* phProcess)
{
    RecordSimEvent("start " + NarrowSimText(strPath));
    const SimFile* pFile = FindSimFileByPath(strPath);
    if (pFile == nullptr || !pFile->bStarts) {
        *phProcess = nullptr;
        return false;
    }
    ApplySimPackageRun(NarrowSimText(pFile->strName));
    g_nSimLastExitCode = pFile->nExitCode;
    *phProcess = reinterpret_cast<OsHandle>(SIM_PROCESS_HANDLE);
    return true;
}

void WaitForPackageProcess(OsHandle hProcess)
{
    RecordSimEvent(hProcess == nullptr ? "wait none" : "wait");
}

bool StartPackageExecutable(const DriveText& strPath, const DriveText& strArguments, const DriveText& strFolder,
                            OsHandle* phProcess)
{
    RecordSimEvent("create " + NarrowSimText(strPath) + " [" + NarrowSimText(strArguments) + "] in " +
                   NarrowSimText(strFolder));
    const SimFile* pFile = FindSimFileByPath(strPath);
    if (pFile == nullptr || !pFile->bStarts) {
        *phProcess = OS_INVALID_HANDLE;
        return false;
    }
    if (g_pfnSimWhileUpdaterRuns != nullptr)
        g_pfnSimWhileUpdaterRuns();
    if (!pFile->bHangs)
        ApplySimPackageRun(NarrowSimText(pFile->strName));
    g_nSimLastExitCode = pFile->nExitCode;
    g_pSimLastStarted = pFile;
    *phProcess = reinterpret_cast<OsHandle>(SIM_PROCESS_HANDLE);
    return true;
}

bool WaitForPackageProcessFor(OsHandle hProcess, uint32_t nMilliseconds)
{
    RecordSimEvent("wait at most " + std::to_string(nMilliseconds) + " ms");
    if (hProcess != reinterpret_cast<OsHandle>(SIM_PROCESS_HANDLE) || g_pSimLastStarted == nullptr)
        return true;
    bool bEnds = !g_pSimLastStarted->bHangs && g_pSimLastStarted->nRunMilliseconds <= nMilliseconds;
    g_nSimMilliseconds += bEnds ? g_pSimLastStarted->nRunMilliseconds : nMilliseconds;
    return bEnds;
}

uint64_t ReadMonotonicMilliseconds()
{
    return g_nSimMilliseconds;
}

void ReadSystemFacts(SystemFacts* pFacts)
{
    RecordSimEvent("system query");
    *pFacts = g_simSystemFacts;
}

bool IsOnBatteryPower()
{
    RecordSimEvent("power query");
    return g_bSimOnBattery;
}

static const SimFile* SimFileOfHandle(OsHandle hFile)
{
    size_t nIndex = reinterpret_cast<uintptr_t>(hFile) - SIM_PACKAGE_FILE_HANDLE;
    return nIndex < g_aSimFiles.size() ? &g_aSimFiles[nIndex] : nullptr;
}

OsHandle OpenPackageFile(const DriveText& strPath, uint32_t* pnError)
{
    const SimFile* pFile = FindSimFileByPath(strPath);
    if (pFile == nullptr || pFile->bLocked) {
        *pnError = pFile == nullptr ? OS_ERROR_FILE_NOT_FOUND : 32;
        return OS_INVALID_HANDLE;
    }
    RecordSimEvent("hold " + NarrowSimText(strPath));
    return reinterpret_cast<OsHandle>(SIM_PACKAGE_FILE_HANDLE + static_cast<size_t>(pFile - g_aSimFiles.data()));
}

void ClosePackageFile(OsHandle hFile)
{
    const SimFile* pFile = SimFileOfHandle(hFile);
    if (pFile != nullptr)
        RecordSimEvent("release " + NarrowSimText(pFile->strName));
}

DriveText HashPackageFile(OsHandle hFile)
{
    const SimFile* pFile = SimFileOfHandle(hFile);
    return pFile == nullptr ? DriveText() : pFile->strSha256;
}

int CheckPackageSignature(OsHandle hFile, const DriveText&, DriveText* pstrSigner, uint32_t* pnStatus)
{
    const SimFile* pFile = SimFileOfHandle(hFile);
    if (pFile == nullptr)
        return SIGNATURE_INVALID;
    *pnStatus = pFile->nSignature == SIGNATURE_VALID  ? 0
                : pFile->nSignature == SIGNATURE_NONE ? 0x800B0100
                                                      : 0x80096010;
    if (pFile->nSignature == SIGNATURE_VALID)
        *pstrSigner = pFile->strSigner;
    return pFile->nSignature;
}

bool ReadSmallFile(const DriveText& strPath, std::string* pstrBytes)
{
    auto it = g_mapSimSmallFiles.find(strPath);
    if (it == g_mapSimSmallFiles.end())
        return false;
    *pstrBytes = it->second;
    return true;
}

bool ReadPackageExitCode(OsHandle hProcess, uint32_t* pnExitCode)
{
    if (hProcess != reinterpret_cast<OsHandle>(SIM_PROCESS_HANDLE))
        return false;
    *pnExitCode = g_nSimLastExitCode;
    return true;
}

void KeepSystemAwake(bool bAwake)
{
    g_bSimAwake = bAwake;
    RecordSimEvent(bAwake ? "awake on" : "awake off");
}

// The drive simulator beneath kernel32: once loaded into a program, it takes
// over that program's own CreateFileW, DeviceIoControl and CloseHandle for
// raw volume paths \\.\X: and passes every other call to the real function.
// It answers the pass-through and the storage property query (the bus type).
// Every raw volume is simulated, so the machine's own drives are never
// touched. The drives come from the drive-set file named by
// FWLAUNCH_SIM_DRIVES, read afresh at every open; events go to the file
// named by FWLAUNCH_SIM_TRACE. With FWLAUNCH_SIM_TOKEN=limited it also
// answers the program's token elevation query as a token that is not
// elevated (under Wine every process is elevated), and with
// FWLAUNCH_SIM_POWER=battery its power status query as a machine on its
// battery (no machine here has one).
#include <windows.h>

#include <cstring>

#include "testing/drives/sim_drives.h"
#include "testing/drive_sim/drive_set_file.h"
#include "testing/drive_sim/property_query.h"
#include "testing/drive_sim/sim_file.h"
#include "testing/drive_sim/sptd_block.h"

static DriveText g_strTracePath;

static void AppendToTraceFile(const std::string& strLine)
{
    if (!g_strTracePath.empty())
        AppendLineToFile(g_strTracePath, strLine);
}

// A test or an updater may change a drive between two commands; a malformed
// file stops the program as the starter would have.
static void ReloadDriveSetOrStop()
{
    std::string strError = ReadSimDriveSetFile(g_aSimDrive);
    if (strError.empty())
        return;
    WriteErrorLine(strError);
    ExitProcess(3);
}

static std::string DescribeOpenDeparture(DWORD nAccess, DWORD nShare, LPSECURITY_ATTRIBUTES pSecurity,
                                         DWORD nDisposition, HANDLE hTemplate)
{
    if (nAccess != (GENERIC_READ | GENERIC_WRITE))
        return "desired access " + std::to_string(nAccess);
    if (nShare != (FILE_SHARE_READ | FILE_SHARE_WRITE))
        return "share mode " + std::to_string(nShare);
    if (nDisposition != OPEN_EXISTING)
        return "creation disposition " + std::to_string(nDisposition);
    if (pSecurity != nullptr || hTemplate != nullptr)
        return "security attributes or template given";
    return std::string();
}

static HANDLE WINAPI SimCreateFileW(LPCWSTR pszName, DWORD nAccess, DWORD nShare, LPSECURITY_ATTRIBUTES pSecurity,
                                    DWORD nDisposition, DWORD nFlags, HANDLE hTemplate)
{
    int nIndex = pszName == nullptr ? -1 : LetterIndexOfVolumePath(pszName);
    if (nIndex < 0)
        return CreateFileW(pszName, nAccess, nShare, pSecurity, nDisposition, nFlags, hTemplate);
    ReloadDriveSetOrStop();
    std::string strDeparture = DescribeOpenDeparture(nAccess, nShare, pSecurity, nDisposition, hTemplate);
    if (!strDeparture.empty()) {
        RecordSimEvent(std::string("violation open ") + static_cast<char>('A' + nIndex) + ": " + strDeparture);
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    uint32_t nError = OpenSimDrive(nIndex);
    if (nError != 0) {
        SetLastError(nError);
        return INVALID_HANDLE_VALUE;
    }
    // A real handle value of its own; it is never closed, so the value is
    // never given out again and a use after close is seen.
    HANDLE hVolume = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    RegisterSimHandle(hVolume, nIndex);
    SetLastError(ERROR_SUCCESS);
    return hVolume;
}

static BOOL WINAPI SimCloseHandle(HANDLE hObject)
{
    bool bClosed = false;
    FindSimHandle(hObject, &bClosed);
    if (CloseSimHandle(hObject))
        return TRUE;
    if (bClosed) {
        RecordSimEvent("violation close of a closed volume handle");
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return CloseHandle(hObject);
}

// The storage property query on a simulated volume: the bus type, as its
// storage driver answers it.
static BOOL SimPropertyQuery(int nIndex, LPVOID pvIn, DWORD cbIn, LPVOID pvOut, DWORD cbOut, LPDWORD pcbReturned,
                             LPOVERLAPPED pOverlapped)
{
    std::string strDeparture = CheckPropertyQuery(pvIn, cbIn, cbOut);
    if (strDeparture.empty() && (pcbReturned == nullptr || pOverlapped != nullptr))
        strDeparture = "no count of bytes returned, or an overlapped call";
    if (!strDeparture.empty()) {
        RecordSimEvent("violation property " + std::string(1, static_cast<char>('A' + nIndex)) + ": " + strDeparture);
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    uint32_t cbReturned = 0;
    if (!AnswerPropertyQuery(nIndex, pvOut, cbOut, &cbReturned)) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    *pcbReturned = cbReturned;
    return TRUE;
}

static BOOL WINAPI SimDeviceIoControl(HANDLE hDevice, DWORD nControlCode, LPVOID pvIn, DWORD cbIn, LPVOID pvOut,
                                      DWORD cbOut, LPDWORD pcbReturned, LPOVERLAPPED pOverlapped)
{
    bool bClosed = false;
    int nIndex = FindSimHandle(hDevice, &bClosed);
    SptdCall call = {nControlCode, pvIn, cbIn, pvOut, cbOut, pcbReturned != nullptr};
    if (nIndex < 0 && !bClosed && nControlCode != SPTD_IOCTL_PASS_THROUGH_DIRECT)
        return DeviceIoControl(hDevice, nControlCode, pvIn, cbIn, pvOut, cbOut, pcbReturned, pOverlapped);
    if (nIndex < 0) {
        // No command reaches a handle the simulator did not give out.
        RecordSimEvent(std::string(bClosed ? "violation send on a closed handle " : "send - ") +
                       DescribeSptdCommand(call) + " failed");
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::string strLetter(1, static_cast<char>('A' + nIndex));
    if (nControlCode == PROPERTY_IOCTL_STORAGE_QUERY_PROPERTY)
        return SimPropertyQuery(nIndex, pvIn, cbIn, pvOut, cbOut, pcbReturned, pOverlapped);
    RecordSimEvent("block " + strLetter + " " + DescribeSptdBlock(call));
    std::string strDeparture = CheckSptdCall(call);
    if (strDeparture.empty() && pOverlapped != nullptr)
        strDeparture = "overlapped call on a synchronous handle";
    if (!strDeparture.empty()) {
        RecordSimEvent("violation send " + strLetter + ": " + strDeparture);
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!AnswerSptdCall(nIndex, call)) {
        SetLastError(ERROR_IO_DEVICE);
        return FALSE;
    }
    *pcbReturned = cbOut;
    return TRUE;
}

static BOOL WINAPI SimGetTokenInformation(HANDLE hToken, TOKEN_INFORMATION_CLASS nClass, LPVOID pvInfo, DWORD cbInfo,
                                          PDWORD pcbReturned)
{
    if (nClass != TokenElevation)
        return GetTokenInformation(hToken, nClass, pvInfo, cbInfo, pcbReturned);
    RecordSimEvent("token elevation query");
    if (pvInfo == nullptr || cbInfo < sizeof(TOKEN_ELEVATION) || pcbReturned == nullptr) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    static_cast<TOKEN_ELEVATION*>(pvInfo)->TokenIsElevated = 0;
    *pcbReturned = sizeof(TOKEN_ELEVATION);
    return TRUE;
}

static BOOL WINAPI SimGetSystemPowerStatus(LPSYSTEM_POWER_STATUS pStatus)
{
    RecordSimEvent("power status query");
    if (pStatus == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ZeroMemory(pStatus, sizeof(*pStatus));
    pStatus->ACLineStatus = 0;  // offline
    pStatus->BatteryFlag = 1;   // high
    pStatus->BatteryLifePercent = 80;
    pStatus->BatteryLifeTime = 3 * 3600;
    pStatus->BatteryFullLifeTime = static_cast<DWORD>(-1);
    return TRUE;
}

// Session 0, where services and programs started remotely as SYSTEM run.
static BOOL WINAPI SimProcessIdToSessionId(DWORD nProcessId, DWORD* pnSession)
{
    RecordSimEvent("session query");
    if (nProcessId != GetCurrentProcessId())
        return ProcessIdToSessionId(nProcessId, pnSession);
    *pnSession = 0;
    return TRUE;
}

// Points the main module's imports of one function of a DLL at pvHook.
static void RedirectImport(HMODULE hModule, const char* pszDll, const char* pszFunction, void* pvHook)
{
    uint8_t* pbBase = reinterpret_cast<uint8_t*>(hModule);
    const IMAGE_NT_HEADERS* pNt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(pbBase + reinterpret_cast<IMAGE_DOS_HEADER*>(pbBase)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0)
        return;
    auto* pDescriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pbBase + dir.VirtualAddress);
    for (; pDescriptor->Name != 0; ++pDescriptor) {
        if (_stricmp(reinterpret_cast<const char*>(pbBase + pDescriptor->Name), pszDll) != 0 ||
            pDescriptor->OriginalFirstThunk == 0)
            continue;
        auto* pNames = reinterpret_cast<IMAGE_THUNK_DATA*>(pbBase + pDescriptor->OriginalFirstThunk);
        auto* pSlots = reinterpret_cast<IMAGE_THUNK_DATA*>(pbBase + pDescriptor->FirstThunk);
        for (; pNames->u1.AddressOfData != 0; ++pNames, ++pSlots) {
            if (IMAGE_SNAP_BY_ORDINAL(pNames->u1.Ordinal))
                continue;
            auto* pByName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(pbBase + pNames->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(pByName->Name), pszFunction) != 0)
                continue;
            DWORD nOldProtection = 0;
            VirtualProtect(&pSlots->u1.Function, sizeof(pSlots->u1.Function), PAGE_READWRITE, &nOldProtection);
            pSlots->u1.Function = reinterpret_cast<uintptr_t>(pvHook);
            VirtualProtect(&pSlots->u1.Function, sizeof(pSlots->u1.Function), nOldProtection, &nOldProtection);
        }
    }
}

BOOL WINAPI DllMain(HINSTANCE, DWORD nReason, LPVOID)
{
    if (nReason != DLL_PROCESS_ATTACH)
        return TRUE;
    g_strTracePath = ReadEnvironmentText(L"FWLAUNCH_SIM_TRACE");
    g_pfnSimTrace = AppendToTraceFile;
    wchar_t szProgram[MAX_PATH * 2] = {0};
    GetModuleFileNameW(nullptr, szProgram, MAX_PATH * 2);
    RecordSimEvent("program " + Utf8FromText(szProgram));
    HMODULE hProgram = GetModuleHandleW(nullptr);
    RedirectImport(hProgram, "KERNEL32.dll", "CreateFileW", reinterpret_cast<void*>(SimCreateFileW));
    RedirectImport(hProgram, "KERNEL32.dll", "DeviceIoControl", reinterpret_cast<void*>(SimDeviceIoControl));
    RedirectImport(hProgram, "KERNEL32.dll", "CloseHandle", reinterpret_cast<void*>(SimCloseHandle));
    if (ReadEnvironmentText(L"FWLAUNCH_SIM_TOKEN") == L"limited")
        RedirectImport(hProgram, "ADVAPI32.dll", "GetTokenInformation",
                       reinterpret_cast<void*>(SimGetTokenInformation));
    if (ReadEnvironmentText(L"FWLAUNCH_SIM_POWER") == L"battery")
        RedirectImport(hProgram, "KERNEL32.dll", "GetSystemPowerStatus",
                       reinterpret_cast<void*>(SimGetSystemPowerStatus));
    if (ReadEnvironmentText(L"FWLAUNCH_SIM_SESSION") == L"0")
        RedirectImport(hProgram, "KERNEL32.dll", "ProcessIdToSessionId",
                       reinterpret_cast<void*>(SimProcessIdToSessionId));
    return TRUE;
}

// The starter imports this by ordinal 1 into the program's import table.
extern "C" void DriveSimLoaded()
{
}

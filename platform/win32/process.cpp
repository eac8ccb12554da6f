#include <windows.h>
#include <shellapi.h>

#include "platform/platform.h"
#include "platform/win32/updater_job.h"

const OsHandle OS_INVALID_HANDLE = INVALID_HANDLE_VALUE;

static_assert(PROCESS_ERROR_MODE_QUIET == (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX), "error mode");
#ifdef _WIN64
static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "64-bit SHELLEXECUTEINFOW");
#else
static_assert(sizeof(SHELLEXECUTEINFOW) == 60, "32-bit SHELLEXECUTEINFOW");
#endif

void RestrictLibraryLoading()
{
    // Looked up at run time: a Windows without the call must still start.
    typedef BOOL(WINAPI * PFN_SET_DEFAULT_DLL_DIRECTORIES)(DWORD);
    HMODULE hKernel = GetModuleHandleW(L"kernel32.dll");
    if (hKernel == nullptr)
        return;
    PFN_SET_DEFAULT_DLL_DIRECTORIES pfnSet = reinterpret_cast<PFN_SET_DEFAULT_DLL_DIRECTORIES>(
        reinterpret_cast<void*>(GetProcAddress(hKernel, "SetDefaultDllDirectories")));
    if (pfnSet != nullptr)
        pfnSet(LOAD_LIBRARY_SEARCH_SYSTEM32);
    else
        SetDllDirectoryW(L"");  // Windows 7 without the update: at least not the current directory
}

OsModule GetOwnModule()
{
    return GetModuleHandleW(nullptr);
}

DriveText GetModulePath(OsModule hModule)
{
    std::wstring strBuffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD cch =
            GetModuleFileNameW(static_cast<HMODULE>(hModule), &strBuffer[0], static_cast<DWORD>(strBuffer.size()));
        if (cch == 0)
            return DriveText();
        if (cch < strBuffer.size()) {
            strBuffer.resize(cch);
            return strBuffer;
        }
        strBuffer.resize(strBuffer.size() * 2);
    }
}

void AddProcessErrorMode(uint32_t nFlags)
{
    UINT nPrevious = SetErrorMode(0);
    SetErrorMode(nPrevious | nFlags);
}

bool StartPackageProcess(const DriveText& strPath, OsHandle* phProcess)
{
    SHELLEXECUTEINFOW sei;
    ZeroMemory(&sei, sizeof(sei));
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOCLOSEPROCESS;
    sei.hwnd = nullptr;
    sei.lpFile = strPath.c_str();
    sei.nShow = SW_SHOWNORMAL;
    JoinUpdaterJob();
    BOOL bOk = ShellExecuteExW(&sei);
    *phProcess = sei.hProcess;
    if (sei.hProcess != nullptr)
        TrackStartedProcess(sei.hProcess);
    return bOk && reinterpret_cast<INT_PTR>(sei.hInstApp) > 32;
}

bool StartPackageExecutable(const DriveText& strPath, const DriveText& strArguments, const DriveText& strFolder,
                            OsHandle* phProcess)
{
    *phProcess = OS_INVALID_HANDLE;
    std::wstring strCommandLine = L"\"" + strPath + L"\"";
    if (!strArguments.empty())
        strCommandLine += L" " + strArguments;
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof(pi));
    // Suspended, so that it joins the updater job before it can start anything.
    if (!CreateProcessW(strPath.c_str(), &strCommandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        strFolder.c_str(), &si, &pi))
        return false;
    TrackSuspendedProcess(pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    *phProcess = pi.hProcess;
    return true;
}

void WaitForPackageProcess(OsHandle hProcess)
{
    // INVALID_HANDLE_VALUE is also the current process: never wait on it.
    if (hProcess == nullptr || hProcess == INVALID_HANDLE_VALUE)
        return;
    WaitForSingleObject(hProcess, INFINITE);
}

bool WaitForPackageProcessFor(OsHandle hProcess, uint32_t nMilliseconds)
{
    if (hProcess == nullptr || hProcess == INVALID_HANDLE_VALUE)
        return true;
    return WaitForSingleObject(hProcess, nMilliseconds == PACKAGE_WAIT_FOREVER ? INFINITE : nMilliseconds) ==
           WAIT_OBJECT_0;
}

uint64_t ReadMonotonicMilliseconds()
{
    return GetTickCount64();
}

bool ReadPackageExitCode(OsHandle hProcess, uint32_t* pnExitCode)
{
    DWORD nExitCode = 0;
    if (hProcess == nullptr || hProcess == INVALID_HANDLE_VALUE || !GetExitCodeProcess(hProcess, &nExitCode))
        return false;
    *pnExitCode = nExitCode;
    return true;
}

void KeepSystemAwake(bool bAwake)
{
    SetThreadExecutionState(bAwake ? (ES_CONTINUOUS | ES_SYSTEM_REQUIRED) : ES_CONTINUOUS);
}

bool IsOnBatteryPower()
{
    SYSTEM_POWER_STATUS status;
    ZeroMemory(&status, sizeof(status));
    // 0 is offline; 1 online and 255 unknown, as a desktop without a battery may say.
    return GetSystemPowerStatus(&status) && status.ACLineStatus == 0;
}

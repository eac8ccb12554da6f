// A test updater. Copied into a folder under a package name (FW5120.exe) and
// started, it appends "run FW5120.exe" to the trace file, followed by its
// arguments, space-separated ("run FW5120.exe /s /f"), brings every drive
// whose updated_by digits occur in its file name to its revision after
// update (rewriting the drive-set file), and exits 0.
// FAKE_UPDATER_SLEEP_MS makes it wait first; FAKE_UPDATER_GATE=FILE makes it
// append "waiting NAME" to the trace first and wait until FILE exists (ten
// minutes at most), so that a test can act while it runs. For the tests of misbehaving
// updaters: FAKE_UPDATER_EXIT_CODE=N exits with N after the update;
// FAKE_UPDATER_CRASH=1 crashes after the trace line, before the update;
// FAKE_UPDATER_CHILD_MS=N starts a copy of itself that does the work after
// N milliseconds, and exits at once.
#include <windows.h>

#include <cstdlib>

#include "testing/drives/drive_set.h"
#include "testing/drive_sim/sim_file.h"

static LONG WINAPI DieOnException(EXCEPTION_POINTERS*)
{
    return EXCEPTION_EXECUTE_HANDLER;
}

static bool StartChildCopy(const DriveText& strModule, const DriveText& strDelayMs)
{
    SetEnvironmentVariableW(L"FAKE_UPDATER_CHILD_MS", nullptr);
    SetEnvironmentVariableW(L"FAKE_UPDATER_SLEEP_MS", strDelayMs.c_str());
    std::wstring strCommand = L"\"" + strModule + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(strModule.c_str(), &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

int wmain(int argc, wchar_t** argv)
{
    wchar_t szModule[MAX_PATH * 2] = {0};
    GetModuleFileNameW(nullptr, szModule, MAX_PATH * 2);
    DriveText strModule = szModule;
    DriveText strChildDelay = ReadEnvironmentText(L"FAKE_UPDATER_CHILD_MS");
    if (!strChildDelay.empty())
        return StartChildCopy(strModule, strChildDelay) ? 0 : 5;

    DriveText strSleep = ReadEnvironmentText(L"FAKE_UPDATER_SLEEP_MS");
    if (!strSleep.empty())
        Sleep(static_cast<DWORD>(wcstoul(strSleep.c_str(), nullptr, 10)));

    std::string strName = Utf8FromText(strModule.substr(strModule.find_last_of(L"\\/") + 1));

    DriveText strTrace = ReadEnvironmentText(L"FWLAUNCH_SIM_TRACE");
    DriveText strGate = ReadEnvironmentText(L"FAKE_UPDATER_GATE");
    if (!strGate.empty()) {
        if (!strTrace.empty())
            AppendLineToFile(strTrace, "waiting " + strName);
        for (int i = 0; i < 6000 && GetFileAttributesW(strGate.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(100);
    }
    std::string strRunLine = "run " + strName;
    for (int i = 1; i < argc; ++i)
        strRunLine += " " + Utf8FromText(argv[i]);
    if (!strTrace.empty())
        AppendLineToFile(strTrace, strRunLine);
    if (!ReadEnvironmentText(L"FAKE_UPDATER_CRASH").empty()) {
        // An unhandled access violation that ends the process with its code,
        // without a debugger or crash dialog holding it open.
        SetUnhandledExceptionFilter(DieOnException);
        *static_cast<volatile int*>(nullptr) = 0;
    }

    DriveText strDrives = ReadEnvironmentText(L"FWLAUNCH_SIM_DRIVES");
    std::string strText, strError;
    if (strDrives.empty() || !ReadWholeFile(strDrives, &strText))
        return 0;
    if (!ParseDriveSet(strText, g_aSimDrive, &strError))
        return 3;
    ApplySimPackageRun(strName);
    if (!WriteWholeFile(strDrives, FormatDriveSet(g_aSimDrive)))
        return 4;
    DriveText strExitCode = ReadEnvironmentText(L"FAKE_UPDATER_EXIT_CODE");
    return strExitCode.empty() ? 0 : _wtoi(strExitCode.c_str());
}

// A test updater. Copied into a folder under a package name (FW5120.exe) and
// started, it appends "run FW5120.exe" to the trace file, brings every drive
// whose updated_by digits occur in its file name to its revision after
// update (rewriting the drive-set file), and exits 0.
#include <windows.h>

#include <cstdlib>

#include "platform/sim/drive_set.h"
#include "platform/sim/sim_file.h"

int wmain()
{
    DriveText strSleep = ReadEnvironmentText(L"FAKE_UPDATER_SLEEP_MS");
    if (!strSleep.empty())
        Sleep(static_cast<DWORD>(wcstoul(strSleep.c_str(), nullptr, 10)));

    wchar_t szModule[MAX_PATH * 2] = {0};
    GetModuleFileNameW(nullptr, szModule, MAX_PATH * 2);
    DriveText strModule = szModule;
    std::string strName = Utf8FromWide(strModule.substr(strModule.find_last_of(L"\\/") + 1));

    DriveText strTrace = ReadEnvironmentText(L"FWLAUNCH_SIM_TRACE");
    if (!strTrace.empty())
        AppendLineToFile(strTrace, "run " + strName);

    DriveText strDrives = ReadEnvironmentText(L"FWLAUNCH_SIM_DRIVES");
    std::string strText, strError;
    if (strDrives.empty() || !ReadWholeFile(strDrives, &strText))
        return 0;
    if (!ParseDriveSet(strText, g_aSimDrive, &strError))
        return 3;
    ApplySimPackageRun(strName);
    return WriteWholeFile(strDrives, FormatDriveSet(g_aSimDrive)) ? 0 : 4;
}

// Drive access of the simulated-drive variant: the drives come from the
// drive-set file, read afresh at every open so that a test or an updater can
// change a drive between two commands; every event goes to the trace file.
#include <windows.h>

#include "platform/platform.h"
#include "platform/sim/drive_set.h"
#include "platform/sim/sim_drives.h"
#include "platform/sim/sim_file.h"

static DriveText g_strTracePath;

static void ExitWithMessage(const std::string& strMessage)
{
    std::string strLine = strMessage + "\n";
    DWORD cbWritten = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), strLine.data(), static_cast<DWORD>(strLine.size()), &cbWritten,
              nullptr);
    ExitProcess(3);
}

// A malformed drive set stops the program before anything else, status 3.
static void LoadSimDriveSetOrExit()
{
    DriveText strPath = ReadEnvironmentText(L"FWLAUNCH_SIM_DRIVES");
    if (strPath.empty())
        ExitWithMessage("FWLAUNCH_SIM_DRIVES: not set");
    std::string strText, strError;
    if (!ReadWholeFile(strPath, &strText))
        ExitWithMessage(Utf8FromWide(strPath) + ":0: cannot be read");
    if (!ParseDriveSet(strText, g_aSimDrive, &strError))
        ExitWithMessage(Utf8FromWide(strPath) + ":" + strError);
}

static void AppendToTraceFile(const std::string& strLine)
{
    if (!g_strTracePath.empty())
        AppendLineToFile(g_strTracePath, strLine);
}

void PrepareDriveAccess()
{
    g_strTracePath = ReadEnvironmentText(L"FWLAUNCH_SIM_TRACE");
    g_pfnSimTrace = AppendToTraceFile;
    LoadSimDriveSetOrExit();
    g_pfnSimBeforeOpen = LoadSimDriveSetOrExit;
}

#include "app/entry.h"

#include "app/drive_scan.h"
#include "app/update_run.h"
#include "messages/message_catalogue.h"
#include "platform/platform.h"

static void InitialiseProcess(OsModule hModule)
{
    AddProcessErrorMode(PROCESS_ERROR_MODE_QUIET);
    SetMessageSource(hModule, ApplicationNameFromPath(GetModulePath(hModule)));
}

static DriveText ArgumentOrEmpty(int argc, const wchar_t* const* argv, int nIndex)
{
    // Past the count, argv holds nothing that may be read.
    if (nIndex >= argc || argv[nIndex] == nullptr)
        return DriveText();
    return DriveText(argv[nIndex]);
}

int RunLauncher(int argc, const wchar_t* const* argv)
{
    int nRetCode = 0;
    OsModule hModule = GetOwnModule();
    if (hModule == nullptr) {
        WriteConsoleWide(L"致命的なエラー: GetModuleHandle が失敗しました\n");
        nRetCode = 1;
    } else {
        InitialiseProcess(hModule);
    }

    if (!HasConsoleWindow()) {
        WriteConsoleNarrow("Window handle is NULL\n");
        ReadConsoleChar();
        return -1;
    }
    // On a window station that nobody sees (a service, a deployment engine)
    // the confirmation would wait for ever: say so where a log records it.
    if (!IsWindowStationVisible()) {
        WriteErrorWide(L"fwlaunch: nobody can answer its boxes on this window station; "
                       L"fwdeploy is the program for unattended runs\r\n");
        return 1;
    }

    TargetList list;
    ClearTargetList(&list);
    DriveText strTag = ArgumentOrEmpty(argc, argv, 1);
    DriveText strNewestRev = ArgumentOrEmpty(argc, argv, 2);
    ScanDrives(strTag, strNewestRev, &list);
    RunUpdateSequence(strTag, strNewestRev, list, &nRetCode);
    return nRetCode;
}

// drive-sim-run.exe [--invisible-station] [--detached] [--status-file FILE]
//                   PROGRAM [ARGS...]:
// runs an unmodified program with the drive simulator (drive-sim.dll,
// beside this starter) loaded before its entry point, in the current
// directory, with this starter's console and standard handles; waits for it
// and exits with its exit status. --invisible-station starts it on a desktop
// of a new window station that nobody sees (no WSF_VISIBLE), as a service
// or a deployment engine would; --detached with no console at all;
// --status-file writes the whole exit status to FILE in decimal (a Unix
// shell sees only its low byte, 3010 as 194). A
// malformed drive set stops it before the program starts, with
// "FILE:LINE: what" and status 3; a program that cannot be started with the
// simulator, with status 4.
#include <windows.h>

#include "testing/drive_sim/drive_set_file.h"
#include "testing/drive_sim/sim_file.h"
#include "testing/drive_sim/dll_preload.h"
#include "testing/tools/console_class_window.h"

const int EXIT_BAD_DRIVE_SET = 3;
const int EXIT_NOT_STARTED = PRELOAD_FAILED_EXIT_CODE;

static int StopWithMessage(const std::string& strMessage, int nStatus)
{
    WriteErrorLine(nStatus == EXIT_BAD_DRIVE_SET ? strMessage : "drive-sim-run: " + strMessage);
    return nStatus;
}

// The command line past this starter's own name, exactly as it was given:
// the first word is taken as Windows takes a program name, quoted or not.
static DriveText CommandLinePastFirstWord(const wchar_t* pszCommandLine)
{
    const wchar_t* pch = pszCommandLine;
    if (*pch == L'"') {
        for (++pch; *pch != L'\0' && *pch != L'"'; ++pch) {
        }
        if (*pch == L'"')
            ++pch;
    } else {
        while (*pch != L'\0' && *pch != L' ' && *pch != L'\t')
            ++pch;
    }
    while (*pch == L' ' || *pch == L'\t')
        ++pch;
    return pch;
}

static DriveText FullPathOf(const DriveText& strPath)
{
    wchar_t szFull[MAX_PATH * 4] = {0};
    DWORD cch = GetFullPathNameW(strPath.c_str(), MAX_PATH * 4, szFull, nullptr);
    return cch == 0 || cch >= MAX_PATH * 4 ? DriveText() : DriveText(szFull);
}

static bool IsFile(const DriveText& strPath)
{
    DWORD nAttributes = GetFileAttributesW(strPath.c_str());
    return nAttributes != INVALID_FILE_ATTRIBUTES && !(nAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

static HANDLE InheritableStdHandle(DWORD nWhich)
{
    HANDLE hStd = GetStdHandle(nWhich);
    if (hStd != nullptr && hStd != INVALID_HANDLE_VALUE)
        SetHandleInformation(hStd, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    return hStd;
}

// Ctrl+C reaches the program too; the starter waits for it to end.
static BOOL WINAPI IgnoreControlEvent(DWORD)
{
    return TRUE;
}

// A console host's window on the new desktop, as Windows gives a console
// program started there: the program's console check sees it.
struct ConsoleHost {
    HDESK hDesktop;
    HANDLE hReady;
};

static DWORD WINAPI HostConsoleWindow(LPVOID pvHost)
{
    ConsoleHost* pHost = static_cast<ConsoleHost*>(pvHost);
    if (SetThreadDesktop(pHost->hDesktop))
        MakeConsoleClassWindow();
    SetEvent(pHost->hReady);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}

// A window station of this process's own making, with one desktop and a
// console window on it: new window stations are not visible. Empty when it
// cannot be made.
static DriveText MakeInvisibleDesktop()
{
    DriveText strStation = L"drive-sim-" + std::to_wstring(GetCurrentProcessId());
    HWINSTA hOriginal = GetProcessWindowStation();
    HWINSTA hStation = CreateWindowStationW(strStation.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
    if (hStation == nullptr || !SetProcessWindowStation(hStation))
        return DriveText();
    HDESK hDesktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    static ConsoleHost host;
    if (hDesktop != nullptr) {
        host = ConsoleHost{hDesktop, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        if (CreateThread(nullptr, 0, HostConsoleWindow, &host, 0, nullptr) != nullptr)
            WaitForSingleObject(host.hReady, 10000);
    }
    SetProcessWindowStation(hOriginal);
    // The station and desktop stay open until the starter ends, so that
    // they outlive the program's start.
    return hDesktop == nullptr ? DriveText() : strStation + L"\\Default";
}

int wmain(int argc, wchar_t** argv)
{
    int nFirst = 1;
    bool bInvisibleStation = false;
    DWORD nCreationFlags = CREATE_SUSPENDED;
    DriveText strCommandLine = CommandLinePastFirstWord(GetCommandLineW());
    DriveText strStatusFile;
    for (; nFirst < argc && argv[nFirst][0] == L'-' && argv[nFirst][1] == L'-'; ++nFirst) {
        if (DriveText(argv[nFirst]) == L"--invisible-station") {
            bInvisibleStation = true;
        } else if (DriveText(argv[nFirst]) == L"--detached") {
            nCreationFlags |= DETACHED_PROCESS;
        } else if (DriveText(argv[nFirst]) == L"--status-file" && nFirst + 1 < argc) {
            strStatusFile = argv[++nFirst];
            strCommandLine = CommandLinePastFirstWord(strCommandLine.c_str());
        } else {
            return StopWithMessage("unknown option " + Utf8FromText(argv[nFirst]), EXIT_NOT_STARTED);
        }
        strCommandLine = CommandLinePastFirstWord(strCommandLine.c_str());
    }
    if (nFirst >= argc)
        return StopWithMessage(
            "usage: drive-sim-run [--invisible-station] [--detached] [--status-file FILE] PROGRAM [ARGS...]",
            EXIT_NOT_STARTED);
    DriveText strProgram = FullPathOf(argv[nFirst]);
    if (!IsFile(strProgram))
        return StopWithMessage("no such program: " + Utf8FromText(argv[nFirst]), EXIT_NOT_STARTED);
    SimDrive aDrives[SIM_LETTERS];
    std::string strDriveSetError = ReadSimDriveSetFile(aDrives);
    if (!strDriveSetError.empty())
        return StopWithMessage(strDriveSetError, EXIT_BAD_DRIVE_SET);

    wchar_t szStarter[MAX_PATH * 2] = {0};
    GetModuleFileNameW(nullptr, szStarter, MAX_PATH * 2);
    DriveText strDll = szStarter;
    strDll = strDll.substr(0, strDll.find_last_of(L"\\/") + 1) + L"drive-sim.dll";
    if (!IsFile(strDll))
        return StopWithMessage("no drive-sim.dll beside the starter", EXIT_NOT_STARTED);

    STARTUPINFOW startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = InheritableStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = InheritableStdHandle(STD_ERROR_HANDLE);
    DriveText strDesktop;
    if (bInvisibleStation) {
        strDesktop = MakeInvisibleDesktop();
        if (strDesktop.empty())
            return StopWithMessage("cannot make a window station and desktop", EXIT_NOT_STARTED);
        startup.lpDesktop = &strDesktop[0];
    }
    PROCESS_INFORMATION process;
    if (!CreateProcessW(strProgram.c_str(), &strCommandLine[0], nullptr, nullptr, TRUE, nCreationFlags, nullptr,
                        nullptr, &startup, &process))
        return StopWithMessage("cannot start " + Utf8FromText(strProgram) + ": error " + std::to_string(GetLastError()),
                               EXIT_NOT_STARTED);
    std::string strError;
    if (!PreloadDll(process.hProcess, process.hThread, strDll, &strError)) {
        TerminateProcess(process.hProcess, EXIT_NOT_STARTED);
        return StopWithMessage(strError, EXIT_NOT_STARTED);
    }
    SetConsoleCtrlHandler(IgnoreControlEvent, TRUE);
    ResumeThread(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD nExitCode = EXIT_NOT_STARTED;
    GetExitCodeProcess(process.hProcess, &nExitCode);
    if (!strStatusFile.empty())
        WriteWholeFile(strStatusFile, std::to_string(nExitCode) + "\n");
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(nExitCode);
}

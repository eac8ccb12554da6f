// drive-sim-run.exe PROGRAM [ARGS...]: runs an unmodified program with the
// drive simulator (drive-sim.dll, beside this starter) loaded before its
// entry point, in the current directory, with this starter's console and
// standard handles; waits for it and exits with its exit status. A
// malformed drive set stops it before the program starts, with
// "FILE:LINE: what" and status 3; a program that cannot be started with the
// simulator, with status 4.
#include <windows.h>

#include "platform/sim/sim_file.h"
#include "tests/win32/drive_sim/dll_preload.h"

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

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return StopWithMessage("usage: drive-sim-run PROGRAM [ARGS...]", EXIT_NOT_STARTED);
    DriveText strProgram = FullPathOf(argv[1]);
    if (!IsFile(strProgram))
        return StopWithMessage("no such program: " + Utf8FromWide(argv[1]), EXIT_NOT_STARTED);
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
    DriveText strCommandLine = CommandLinePastFirstWord(GetCommandLineW());
    PROCESS_INFORMATION process;
    if (!CreateProcessW(strProgram.c_str(), &strCommandLine[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &process))
        return StopWithMessage("cannot start " + Utf8FromWide(strProgram) + ": error " +
                                   std::to_string(GetLastError()),
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
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(nExitCode);
}

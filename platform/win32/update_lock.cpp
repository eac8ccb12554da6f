#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/updater_job.h"

// The one name every program that starts updaters takes, in the namespace
// that all sessions share: a run as SYSTEM in session 0 and a person's run
// at the console see the same lock.
static const wchar_t UPDATE_LOCK_NAME[] = L"Global\\fwlaunch-update-run";

OsHandle TakeUpdateLock()
{
    SECURITY_ATTRIBUTES security;
    ZeroMemory(&security, sizeof(security));
    security.nLength = sizeof(security);
    // With the maker's default rights an administrator could not open SYSTEM's lock.
    security.lpSecurityDescriptor = MakeRunObjectDescriptor();
    HANDLE hMutex = CreateMutexW(&security, FALSE, UPDATE_LOCK_NAME);
    if (security.lpSecurityDescriptor != nullptr)
        LocalFree(security.lpSecurityDescriptor);
    // A lock that cannot be had is treated as held: no updater runs unguarded.
    if (hMutex == nullptr)
        return OS_INVALID_HANDLE;
    DWORD nWait = WaitForSingleObject(hMutex, 0);
    // An abandoned lock belonged to a run that died: it is ours now, unless
    // an updater that run started is still writing a drive.
    if (nWait == WAIT_OBJECT_0 || nWait == WAIT_ABANDONED) {
        if (!IsUpdaterJobActive())
            return hMutex;
        ReleaseMutex(hMutex);
    }
    CloseHandle(hMutex);
    return OS_INVALID_HANDLE;
}

void ReleaseUpdateLock(OsHandle hLock)
{
    if (hLock == OS_INVALID_HANDLE)
        return;
    HandUpdaterJobToItsProcesses();
    ReleaseMutex(hLock);
    CloseHandle(hLock);
}

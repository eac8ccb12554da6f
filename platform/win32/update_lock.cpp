#include <windows.h>
#include <sddl.h>

#include "platform/platform.h"

// The one name every program that starts updaters takes, in the namespace
// that all sessions share: a run as SYSTEM in session 0 and a person's run
// at the console see the same lock.
static const wchar_t UPDATE_LOCK_NAME[] = L"Global\\fwlaunch-update-run";
// SYSTEM and the administrators may take it, whoever made it first: with the
// maker's default rights an administrator could not open SYSTEM's lock.
static const wchar_t UPDATE_LOCK_SDDL[] = L"D:(A;;GA;;;SY)(A;;GA;;;BA)";

OsHandle TakeUpdateLock()
{
    SECURITY_ATTRIBUTES security;
    ZeroMemory(&security, sizeof(security));
    security.nLength = sizeof(security);
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(UPDATE_LOCK_SDDL, SDDL_REVISION_1, &pDescriptor, nullptr))
        security.lpSecurityDescriptor = pDescriptor;
    HANDLE hMutex = CreateMutexW(&security, FALSE, UPDATE_LOCK_NAME);
    if (pDescriptor != nullptr)
        LocalFree(pDescriptor);
    // A lock that cannot be had is treated as held: no updater runs unguarded.
    if (hMutex == nullptr)
        return OS_INVALID_HANDLE;
    DWORD nWait = WaitForSingleObject(hMutex, 0);
    // An abandoned lock belonged to a run that died: it is ours now.
    if (nWait == WAIT_OBJECT_0 || nWait == WAIT_ABANDONED)
        return hMutex;
    CloseHandle(hMutex);
    return OS_INVALID_HANDLE;
}

void ReleaseUpdateLock(OsHandle hLock)
{
    if (hLock == OS_INVALID_HANDLE)
        return;
    ReleaseMutex(hLock);
    CloseHandle(hLock);
}

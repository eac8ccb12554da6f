#include <windows.h>

#include "platform/platform.h"
#include "platform/update_lock_rule.h"
#include "platform/win32/updater_job.h"

// The names every program that starts updaters takes, in the namespace that
// all sessions share: a run as SYSTEM in session 0 and a person's run at the
// console see the same lock. Anyone may create an object of such a name, so
// there are two: a run holds every one an administrator made, and one taken
// by somebody else leaves the other to keep runs apart.
static const wchar_t* const APSZ_UPDATE_LOCK_NAMES[] = {L"Global\\fwlaunch-update-run",
                                                        L"Global\\fwlaunch-update-run-2"};
const int UPDATE_LOCK_NAMES = sizeof(APSZ_UPDATE_LOCK_NAMES) / sizeof(APSZ_UPDATE_LOCK_NAMES[0]);

// The mutexes held, behind the one handle the callers see.
struct HeldUpdateLock {
    HANDLE ahMutex[UPDATE_LOCK_NAMES];
};

static void ReleaseHeldMutexes(HeldUpdateLock* pHeld)
{
    for (HANDLE hMutex : pHeld->ahMutex) {
        if (hMutex != nullptr) {
            ReleaseMutex(hMutex);
            CloseHandle(hMutex);
        }
    }
    LocalFree(pHeld);
}

static int WaitResultOf(DWORD nWait)
{
    if (nWait == WAIT_OBJECT_0)
        return LOCK_WAIT_OBTAINED;
    if (nWait == WAIT_ABANDONED)
        return LOCK_WAIT_ABANDONED;
    return nWait == WAIT_TIMEOUT ? LOCK_WAIT_TIMEOUT : LOCK_WAIT_FAILED;
}

// Tries one name; *phMutex is the mutex when this run now holds it.
static int TakeLockName(const wchar_t* pszName, const SECURITY_ATTRIBUTES* pSecurity, HANDLE* phMutex,
                        uint32_t* pnError)
{
    *phMutex = nullptr;
    HANDLE hMutex = CreateMutexW(const_cast<SECURITY_ATTRIBUTES*>(pSecurity), FALSE, pszName);
    uint32_t nCreateError = hMutex == nullptr ? GetLastError() : 0;
    int nOwner = LOCK_OWNER_UNREADABLE, nWait = LOCK_WAIT_FAILED;
    if (hMutex != nullptr) {
        nOwner = ReadRunObjectOwner(hMutex);
        if (nOwner == LOCK_OWNER_ADMINISTRATORS || nOwner == LOCK_OWNER_SYSTEM) {
            DWORD nResult = WaitForSingleObject(hMutex, 0);
            nWait = WaitResultOf(nResult);
            if (nResult == WAIT_FAILED)
                nCreateError = GetLastError();
        }
    }
    int nName = ClassifyLockName(nCreateError, nOwner, nWait);
    if (nName == LOCK_NAME_FAILED)
        *pnError = nCreateError != 0 ? nCreateError : GetLastError();
    if (nName == LOCK_NAME_TAKEN)
        *phMutex = hMutex;
    else if (hMutex != nullptr)
        CloseHandle(hMutex);
    return nName;
}

int TakeUpdateLock(OsHandle* phLock, uint32_t* pnError)
{
    *phLock = OS_INVALID_HANDLE;
    *pnError = 0;
    auto* pHeld = static_cast<HeldUpdateLock*>(LocalAlloc(LPTR, sizeof(HeldUpdateLock)));
    if (pHeld == nullptr) {
        *pnError = GetLastError();
        return UPDATE_LOCK_FAILED;
    }
    SECURITY_ATTRIBUTES security;
    ZeroMemory(&security, sizeof(security));
    security.nLength = sizeof(security);
    // With the maker's default rights an administrator could not open SYSTEM's
    // lock; the owner is what tells a run's lock from anybody else's object.
    security.lpSecurityDescriptor = MakeRunObjectDescriptor();
    int anNames[UPDATE_LOCK_NAMES];
    for (int i = 0; i < UPDATE_LOCK_NAMES; ++i)
        anNames[i] = TakeLockName(APSZ_UPDATE_LOCK_NAMES[i], &security, &pHeld->ahMutex[i], pnError);
    if (security.lpSecurityDescriptor != nullptr)
        LocalFree(security.lpSecurityDescriptor);
    // An abandoned lock belonged to a run that died: it is this run's now,
    // unless an updater that run started is still writing a drive.
    int nLock = DecideUpdateLock(anNames, UPDATE_LOCK_NAMES, IsUpdaterJobActive());
    if (nLock != UPDATE_LOCK_TAKEN && nLock != UPDATE_LOCK_TAKEN_SQUATTED) {
        ReleaseHeldMutexes(pHeld);
        return nLock;
    }
    *phLock = pHeld;
    return nLock;
}

void ReleaseUpdateLock(OsHandle hLock)
{
    if (hLock == OS_INVALID_HANDLE)
        return;
    HandUpdaterJobToItsProcesses();
    ReleaseHeldMutexes(static_cast<HeldUpdateLock*>(hLock));
}

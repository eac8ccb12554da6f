#include "platform/update_lock_rule.h"

#include "platform/platform.h"

int ClassifyLockName(uint32_t nCreateError, int nOwner, int nWait)
{
    // Another kind of object has the name, or one whose rights keep
    // administrators out: neither is a lock a run made.
    if (nCreateError == OS_ERROR_INVALID_HANDLE || nCreateError == OS_ERROR_ACCESS_DENIED)
        return LOCK_NAME_SQUATTED;
    if (nCreateError != 0)
        return LOCK_NAME_FAILED;
    if (nOwner == LOCK_OWNER_OTHER)
        return LOCK_NAME_SQUATTED;
    if (nOwner != LOCK_OWNER_ADMINISTRATORS && nOwner != LOCK_OWNER_SYSTEM)
        return LOCK_NAME_FAILED;
    switch (nWait) {
    case LOCK_WAIT_OBTAINED:
    case LOCK_WAIT_ABANDONED: return LOCK_NAME_TAKEN;
    case LOCK_WAIT_TIMEOUT: return LOCK_NAME_HELD;
    default: return LOCK_NAME_FAILED;
    }
}

int DecideUpdateLock(const int* anNames, int nNames, bool bUpdaterRunning)
{
    bool bSquatted = false, bFailed = false;
    for (int i = 0; i < nNames; ++i) {
        if (anNames[i] == LOCK_NAME_HELD)
            return UPDATE_LOCK_BUSY;
        bFailed = bFailed || anNames[i] == LOCK_NAME_FAILED;
        bSquatted = bSquatted || anNames[i] == LOCK_NAME_SQUATTED;
    }
    if (bFailed)
        return UPDATE_LOCK_FAILED;
    if (bUpdaterRunning)
        return UPDATE_LOCK_BUSY;
    return bSquatted ? UPDATE_LOCK_TAKEN_SQUATTED : UPDATE_LOCK_TAKEN;
}

// Only an administrator's or SYSTEM's mutex counts as the update run's lock:
// an object of its name made by anyone else blocks no update, and a lock
// that fails for another reason is no "busy".
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/update_lock_rule.h"

TEST(UpdateLockRuleTest, ANameIsTrustedOnlyWhenAnAdministratorMadeIt)
{
    struct {
        uint32_t nCreateError;
        int nOwner, nWait, nName;
    } aCases[] = {
        {0, LOCK_OWNER_ADMINISTRATORS, LOCK_WAIT_OBTAINED, LOCK_NAME_TAKEN},
        {0, LOCK_OWNER_SYSTEM, LOCK_WAIT_ABANDONED, LOCK_NAME_TAKEN},
        {0, LOCK_OWNER_ADMINISTRATORS, LOCK_WAIT_TIMEOUT, LOCK_NAME_HELD},
        {0, LOCK_OWNER_SYSTEM, LOCK_WAIT_TIMEOUT, LOCK_NAME_HELD},
        // A standard user's mutex, held for ever, is not another run.
        {0, LOCK_OWNER_OTHER, LOCK_WAIT_TIMEOUT, LOCK_NAME_SQUATTED},
        // An event of the name, or an object whose rights shut administrators out.
        {OS_ERROR_INVALID_HANDLE, LOCK_OWNER_UNREADABLE, LOCK_WAIT_FAILED, LOCK_NAME_SQUATTED},
        {OS_ERROR_ACCESS_DENIED, LOCK_OWNER_UNREADABLE, LOCK_WAIT_FAILED, LOCK_NAME_SQUATTED},
        {1307, LOCK_OWNER_UNREADABLE, LOCK_WAIT_FAILED, LOCK_NAME_FAILED},  // the owner could not be set
        {0, LOCK_OWNER_UNREADABLE, LOCK_WAIT_OBTAINED, LOCK_NAME_FAILED},
        {0, LOCK_OWNER_ADMINISTRATORS, LOCK_WAIT_FAILED, LOCK_NAME_FAILED},
    };
    for (const auto& test : aCases)
        EXPECT_EQ(ClassifyLockName(test.nCreateError, test.nOwner, test.nWait), test.nName)
            << test.nCreateError << " " << test.nOwner << " " << test.nWait;
}

TEST(UpdateLockRuleTest, TheLockIsBusyOnlyForAnotherRun)
{
    struct {
        int anNames[2];
        bool bUpdaterRunning;
        int nLock;
    } aCases[] = {
        {{LOCK_NAME_TAKEN, LOCK_NAME_TAKEN}, false, UPDATE_LOCK_TAKEN},
        {{LOCK_NAME_TAKEN, LOCK_NAME_TAKEN}, true, UPDATE_LOCK_BUSY},
        {{LOCK_NAME_TAKEN, LOCK_NAME_HELD}, false, UPDATE_LOCK_BUSY},
        {{LOCK_NAME_SQUATTED, LOCK_NAME_HELD}, false, UPDATE_LOCK_BUSY},  // the other run took the second name
        {{LOCK_NAME_SQUATTED, LOCK_NAME_TAKEN}, false, UPDATE_LOCK_TAKEN_SQUATTED},
        {{LOCK_NAME_SQUATTED, LOCK_NAME_SQUATTED}, false, UPDATE_LOCK_TAKEN_SQUATTED},
        {{LOCK_NAME_SQUATTED, LOCK_NAME_SQUATTED}, true, UPDATE_LOCK_BUSY},
        {{LOCK_NAME_FAILED, LOCK_NAME_TAKEN}, false, UPDATE_LOCK_FAILED},
        {{LOCK_NAME_FAILED, LOCK_NAME_HELD}, false, UPDATE_LOCK_BUSY},
    };
    for (const auto& test : aCases)
        EXPECT_EQ(DecideUpdateLock(test.anNames, 2, test.bUpdaterRunning), test.nLock)
            << test.anNames[0] << " " << test.anNames[1] << " " << test.bUpdaterRunning;
}

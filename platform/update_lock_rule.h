#pragma once
// How the machine's update run lock is judged from what Windows answered for
// each of its names. Creating an object in the global namespace needs no
// privilege, so a name is trusted only when an administrator or SYSTEM made
// the object; any other object of that name is passed over and blocks nothing.
#include <cstdint>

// The owner of an existing object of a lock name.
const int LOCK_OWNER_ADMINISTRATORS = 0;
const int LOCK_OWNER_SYSTEM = 1;
const int LOCK_OWNER_OTHER = 2;
const int LOCK_OWNER_UNREADABLE = 3;

// A wait of no time on a trusted mutex.
const int LOCK_WAIT_OBTAINED = 0;
const int LOCK_WAIT_ABANDONED = 1;  // its holder died: it is this run's now
const int LOCK_WAIT_TIMEOUT = 2;
const int LOCK_WAIT_FAILED = 3;

// What one name came to.
const int LOCK_NAME_TAKEN = 0;
const int LOCK_NAME_HELD = 1;      // another run holds it
const int LOCK_NAME_SQUATTED = 2;  // an object of that name no administrator made
const int LOCK_NAME_FAILED = 3;

// What the lock as a whole came to.
const int UPDATE_LOCK_TAKEN = 0;
const int UPDATE_LOCK_TAKEN_SQUATTED = 1;  // taken; some name was held by such an object
const int UPDATE_LOCK_BUSY = 2;            // another run, or an updater one started, goes on
const int UPDATE_LOCK_FAILED = 3;          // not to be had for another reason

// nCreateError is the error of creating or opening a mutex of the name (0:
// one was had); nOwner and nWait count only when they were asked.
int ClassifyLockName(uint32_t nCreateError, int nOwner, int nWait);
// A run holds the lock when no trusted name is held elsewhere, none failed,
// and no updater of an earlier run lives. A name taken by squatters only
// leaves the others to keep runs apart.
int DecideUpdateLock(const int* anNames, int nNames, bool bUpdaterRunning);

#pragma once
// What an unattended run came to, drive by drive and updater by updater, and
// the exit status a deployment engine acts on.
#include <cstdint>

#include "app/drive_scan.h"
#include "app/package_run.h"
#include "platform/drive_text.h"

// The codes deployment engines read: success, a restart is needed for the
// update to show, another installation is running (retry later).
const int DEPLOY_EXIT_SUCCESS = 0;
const int DEPLOY_EXIT_FAILED = 1;
const int DEPLOY_EXIT_USAGE = 2;
const int DEPLOY_EXIT_NOT_ELEVATED = 5;
const int DEPLOY_EXIT_BUSY = 1618;
const int DEPLOY_EXIT_RESTART_REQUIRED = 3010;

const int DEPLOY_OUTCOME_NO_TARGET = 0;
const int DEPLOY_OUTCOME_CURRENT = 1;
const int DEPLOY_OUTCOME_UPDATED = 2;
const int DEPLOY_OUTCOME_FAILED = 3;
const int DEPLOY_OUTCOME_RESTART_REQUIRED = 4;
const int DEPLOY_OUTCOME_BUSY = 5;
const int DEPLOY_OUTCOME_NOT_ELEVATED = 6;
const int DEPLOY_OUTCOME_ON_BATTERY = 7;
const int DEPLOY_OUTCOME_TIMED_OUT = 8;
const int DEPLOY_OUTCOME_INCOMPLETE = 9;        // a volume refused to open: its drive is unknown
const int DEPLOY_OUTCOME_RESTART_PENDING = 10;  // an earlier run's update waits for the restart
const int DEPLOY_OUTCOME_LOCK_FAILED = 11;      // the lock could not be had, not for another run

const int DRIVE_RESULT_CURRENT = 0;
const int DRIVE_RESULT_UPDATED = 1;
const int DRIVE_RESULT_STILL_OUTDATED = 2;
const int DRIVE_RESULT_RESTART_REQUIRED = 3;

// A target (scanned.bOutdated) is read again after the updaters; a drive
// that was current is not.
struct DeployedDrive {
    RecognisedDrive scanned;  // as the scan saw it
    bool bOutdatedAfter;
    DriveText strRevisionAfter;
    int nResult;  // DRIVE_RESULT_..., set by DecideDeployOutcome
};

struct DeployResult {
    DriveText strTag;
    DriveText strNewestRevision;
    int nDrives;
    DeployedDrive aDrives[TARGET_SLOTS];  // every recognised drive, in letter order
    int nRefused;
    RefusedVolume aRefused[TARGET_SLOTS];  // the volumes that refused to open
    UpdaterRecords updaters;               // one per model that had a target
    int nOutcome;                          // DEPLOY_OUTCOME_...
    int nExitCode;
    uint32_t nLockError;    // for DEPLOY_OUTCOME_LOCK_FAILED, the system's error
    bool bRecordWritten;    // the machine's record of the run
    uint32_t nRecordError;  // the system's error when it was not
};

// An empty result for the two arguments: no drive, no updater.
void ClearDeployResult(DeployResult* pResult, const DriveText& strTag, const DriveText& strNewestRevision);

// The updater of a model in the run, or null when it had none.
const UpdaterRecord* FindUpdater(const UpdaterRecords& updaters, ModelCode nModel);
// The drives' results, the outcome and the exit status from what the run
// saw. A still outdated target counts as waiting for a restart only when
// its model's updater was started and said so. A volume that refused to
// open leaves no run complete that would otherwise count as done.
void DecideDeployOutcome(DeployResult* pResult);
// Whether the run opened the drives; the runs that stopped before did not.
bool DidRunReadDrives(int nOutcome);
// Whether every recognised target reads the newest revision, or none needed it.
bool IsVerifiedOutcome(int nOutcome);
// Whether some drive waits for a restart to show its update.
bool HasDriveAwaitingRestart(const DeployResult& result);

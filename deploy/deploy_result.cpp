#include "deploy/deploy_result.h"

// Whether the updater was started and ended saying that a restart is needed.
static bool SaysRestartRequired(const UpdaterRecord* pUpdater)
{
    return pUpdater != nullptr && pUpdater->nState == UPDATER_STATE_ENDED && pUpdater->run.bExitCodeRead &&
           (pUpdater->run.nExitCode == UPDATER_EXIT_RESTART_REQUIRED ||
            pUpdater->run.nExitCode == UPDATER_EXIT_RESTART_STARTED);
}

const UpdaterRecord* FindUpdater(const UpdaterRecords& updaters, ModelCode nModel)
{
    for (int i = 0; i < updaters.nUpdaters; ++i) {
        if (updaters.aUpdaters[i].nModel == nModel)
            return &updaters.aUpdaters[i];
    }
    return nullptr;
}

void ClearDeployResult(DeployResult* pResult, const DriveText& strTag, const DriveText& strNewestRevision)
{
    pResult->strTag = strTag;
    pResult->strNewestRevision = strNewestRevision;
    pResult->nDrives = 0;
    pResult->nRefused = 0;
    pResult->updaters.nUpdaters = 0;
    pResult->nOutcome = DEPLOY_OUTCOME_NO_TARGET;
    pResult->nExitCode = DEPLOY_EXIT_SUCCESS;
    pResult->nLockError = 0;
    pResult->bRecordWritten = false;
    pResult->nRecordError = 0;
}

bool DidRunReadDrives(int nOutcome)
{
    return nOutcome != DEPLOY_OUTCOME_BUSY && nOutcome != DEPLOY_OUTCOME_NOT_ELEVATED &&
           nOutcome != DEPLOY_OUTCOME_ON_BATTERY && nOutcome != DEPLOY_OUTCOME_RESTART_PENDING &&
           nOutcome != DEPLOY_OUTCOME_LOCK_FAILED;
}

bool IsVerifiedOutcome(int nOutcome)
{
    return nOutcome == DEPLOY_OUTCOME_NO_TARGET || nOutcome == DEPLOY_OUTCOME_CURRENT ||
           nOutcome == DEPLOY_OUTCOME_UPDATED;
}

bool HasDriveAwaitingRestart(const DeployResult& result)
{
    for (int i = 0; i < result.nDrives; ++i) {
        if (result.aDrives[i].scanned.bOutdated && result.aDrives[i].nResult == DRIVE_RESULT_RESTART_REQUIRED)
            return true;
    }
    return false;
}

void DecideDeployOutcome(DeployResult* pResult)
{
    int nTargets = 0, nUpdated = 0, nAwaitingRestart = 0;
    bool bTimedOut = false;
    for (int i = 0; i < pResult->updaters.nUpdaters; ++i)
        bTimedOut = bTimedOut || pResult->updaters.aUpdaters[i].nState == UPDATER_STATE_TIMED_OUT;
    for (int i = 0; i < pResult->nDrives; ++i) {
        DeployedDrive& drive = pResult->aDrives[i];
        if (!drive.scanned.bOutdated) {
            drive.nResult = DRIVE_RESULT_CURRENT;
            continue;
        }
        ++nTargets;
        if (!drive.bOutdatedAfter) {
            drive.nResult = DRIVE_RESULT_UPDATED;
            ++nUpdated;
        } else if (SaysRestartRequired(FindUpdater(pResult->updaters, drive.scanned.nModel))) {
            drive.nResult = DRIVE_RESULT_RESTART_REQUIRED;
            ++nAwaitingRestart;
        } else {
            drive.nResult = DRIVE_RESULT_STILL_OUTDATED;
        }
    }
    if (pResult->nDrives == 0) {
        pResult->nOutcome = DEPLOY_OUTCOME_NO_TARGET;
        pResult->nExitCode = DEPLOY_EXIT_SUCCESS;
    } else if (nTargets == 0) {
        pResult->nOutcome = DEPLOY_OUTCOME_CURRENT;
        pResult->nExitCode = DEPLOY_EXIT_SUCCESS;
    } else if (bTimedOut) {
        // An updater still at work: whatever the drives say now is not its last word.
        pResult->nOutcome = DEPLOY_OUTCOME_TIMED_OUT;
        pResult->nExitCode = DEPLOY_EXIT_FAILED;
    } else if (nUpdated == nTargets) {
        pResult->nOutcome = DEPLOY_OUTCOME_UPDATED;
        pResult->nExitCode = DEPLOY_EXIT_SUCCESS;
    } else if (nUpdated + nAwaitingRestart == nTargets) {
        pResult->nOutcome = DEPLOY_OUTCOME_RESTART_REQUIRED;
        pResult->nExitCode = DEPLOY_EXIT_RESTART_REQUIRED;
    } else {
        pResult->nOutcome = DEPLOY_OUTCOME_FAILED;
        pResult->nExitCode = DEPLOY_EXIT_FAILED;
    }
    // What the refused volume holds may be a target still outdated.
    if (pResult->nRefused > 0 &&
        (IsVerifiedOutcome(pResult->nOutcome) || pResult->nOutcome == DEPLOY_OUTCOME_RESTART_REQUIRED)) {
        pResult->nOutcome = DEPLOY_OUTCOME_INCOMPLETE;
        pResult->nExitCode = DEPLOY_EXIT_FAILED;
    }
}

#include "deploy/deploy_result.h"

static bool SaysRestartRequired(const UpdaterRecord& updater)
{
    return updater.run.bStarted && updater.run.bExitCodeRead &&
           (updater.run.nExitCode == UPDATER_EXIT_RESTART_REQUIRED ||
            updater.run.nExitCode == UPDATER_EXIT_RESTART_STARTED);
}

static bool ModelAwaitsRestart(const DeployResult& result, ModelCode nModel)
{
    for (int i = 0; i < result.updaters.nUpdaters; ++i) {
        if (result.updaters.aUpdaters[i].nModel == nModel)
            return SaysRestartRequired(result.updaters.aUpdaters[i]);
    }
    return false;
}

void ClearDeployResult(DeployResult* pResult, const DriveText& strTag, const DriveText& strNewestRevision)
{
    pResult->strTag = strTag;
    pResult->strNewestRevision = strNewestRevision;
    pResult->nDrives = 0;
    pResult->updaters.nUpdaters = 0;
    pResult->nOutcome = DEPLOY_OUTCOME_NO_TARGET;
    pResult->nExitCode = DEPLOY_EXIT_SUCCESS;
}

void DecideDeployOutcome(DeployResult* pResult)
{
    int nTargets = 0, nUpdated = 0, nAwaitingRestart = 0;
    for (int i = 0; i < pResult->nDrives; ++i) {
        DeployedDrive& drive = pResult->aDrives[i];
        if (!drive.bVerified) {
            drive.nResult = DRIVE_RESULT_CURRENT;
            continue;
        }
        ++nTargets;
        if (!drive.bOutdatedAfter) {
            drive.nResult = DRIVE_RESULT_UPDATED;
            ++nUpdated;
        } else if (ModelAwaitsRestart(*pResult, drive.scanned.nModel)) {
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
}

void SetStoppedOutcome(DeployResult* pResult, int nOutcome, int nExitCode)
{
    pResult->nDrives = 0;
    pResult->updaters.nUpdaters = 0;
    pResult->nOutcome = nOutcome;
    pResult->nExitCode = nExitCode;
}

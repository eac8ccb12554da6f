#include "deploy/deploy_updater.h"

#include "deploy/deploy_report.h"

// The one candidate for the model, or why there is none to run.
static void ChooseCandidate(UpdaterRecord* pRecord)
{
    UpdaterSearch search = SearchUpdaterCandidates(pRecord->nModel);
    pRecord->strPath = search.strPath;
    if (search.nCandidates == 0 && !search.strNonCandidate.empty()) {
        pRecord->nState = UPDATER_STATE_REFUSED;
        pRecord->strReason = L"not an executable candidate: " + search.strNonCandidate;
    } else if (search.nCandidates > 1) {
        pRecord->nState = UPDATER_STATE_REFUSED;
        pRecord->strReason = L"ambiguous: " + DecimalText(search.nCandidates) + L" candidates in the folder";
    } else if (search.nSharedCandidates > 0) {
        pRecord->nState = UPDATER_STATE_REFUSED;
        pRecord->strReason = L"ambiguous: a candidate for both models";
    }
}

static uint32_t MillisecondsLeft(uint64_t nDeadline)
{
    uint64_t nNow = ReadMonotonicMilliseconds();
    return nNow >= nDeadline ? 0 : static_cast<uint32_t>(nDeadline - nNow);
}

void RunCheckedUpdater(UpdaterRecord* pRecord, void* pvRun)
{
    DeployRun* pRun = static_cast<DeployRun*>(pvRun);
    ChooseCandidate(pRecord);
    if (pRecord->strPath.empty() || pRecord->nState == UPDATER_STATE_REFUSED)
        return;
    OsHandle hFile = OS_INVALID_HANDLE;
    UpdaterFileCheck check;
    pRecord->strReason = CheckUpdaterFile(pRecord->strPath, &hFile, &check);
    if (pRecord->strReason.empty())
        pRecord->strReason = DecideUpdaterTrust(pRun->policy, check);
    if (!pRecord->strReason.empty()) {
        pRecord->nState = UPDATER_STATE_REFUSED;
        ClosePackageFile(hFile);
        return;
    }
    pRecord->strSha256 = check.strSha256;
    pRecord->strSigner = check.strSigner;
    pRecord->strArguments = ArgumentsForModel(*pRun->pOptions, pRecord->nModel);
    WriteDeployLine(pRun->pOutput, FormatStartingLine(*pRecord));
    pRecord->run = RunUpdaterExecutable(pRecord->strPath, pRecord->strArguments, MillisecondsLeft(pRun->nDeadline));
    if (!pRecord->run.bStarted)
        pRecord->nState = UPDATER_STATE_START_FAILED;
    else if (pRecord->run.bTimedOut)
        pRecord->nState = UPDATER_STATE_TIMED_OUT;
    else
        pRecord->nState = UPDATER_STATE_ENDED;
    // An updater still running keeps its file held until this program ends.
    if (pRecord->nState != UPDATER_STATE_TIMED_OUT)
        ClosePackageFile(hFile);
}

void TellUpdaterDecided(const UpdaterRecord& record, void* pvRun)
{
    DeployRun* pRun = static_cast<DeployRun*>(pvRun);
    WriteDeployLine(pRun->pOutput, FormatUpdaterLine(record, pRun->pOptions->nTimeoutMinutes));
}

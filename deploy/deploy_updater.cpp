#include "deploy/deploy_updater.h"

#include "deploy/deploy_report.h"

// Why the folder's candidates for the model cannot be run; empty when
// there is exactly one (or none at all).
static DriveText ReasonAgainstCandidates(const UpdaterSearch& search)
{
    if (search.nCandidates == 0 && !search.strNonCandidate.empty())
        return L"not an executable candidate: " + search.strNonCandidate;
    if (search.nCandidates > 1)
        return L"ambiguous: " + DecimalText(search.nCandidates) + L" candidates in the folder";
    if (search.nSharedCandidates > 0)
        return L"ambiguous: a candidate for both models";
    return DriveText();
}

static uint32_t MillisecondsLeft(uint64_t nDeadline)
{
    uint64_t nNow = ReadMonotonicMilliseconds();
    return nNow >= nDeadline ? 0 : static_cast<uint32_t>(nDeadline - nNow);
}

void RunCheckedUpdater(UpdaterRecord* pRecord, void* pvRun)
{
    DeployRun* pRun = static_cast<DeployRun*>(pvRun);
    UpdaterSearch search = SearchUpdaterCandidates(pRecord->nModel);
    pRecord->strPath = search.strPath;
    pRecord->strReason = ReasonAgainstCandidates(search);
    if (pRecord->strReason.empty() && pRecord->strPath.empty())
        return;
    OsHandle hFile = OS_INVALID_HANDLE;
    UpdaterFileCheck check;
    if (pRecord->strReason.empty())
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

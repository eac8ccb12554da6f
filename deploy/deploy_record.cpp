#include "deploy/deploy_record.h"

#include "deploy/deploy_report.h"
#include "platform/platform.h"
#include "version.h"

static const wchar_t RESTART_PENDING_KEY[] = L"\\RestartPending";
static const wchar_t NEWEST_REVISION_VALUE[] = L"NewestRevision";

DriveText DeployRecordKey(const DriveText& strTag)
{
    return L"SOFTWARE\\fwlaunch\\fwdeploy\\" + strTag;
}

bool IsRestartPending(const DriveText& strTag, const DriveText& strNewestRevision)
{
    DriveText strPending;
    return ReadMachineRecordText(DeployRecordKey(strTag) + RESTART_PENDING_KEY, NEWEST_REVISION_VALUE, &strPending) &&
           strPending == strNewestRevision;
}

static DriveText TextOfName(const std::string& strName)
{
    return DriveText(strName.begin(), strName.end());
}

bool WriteDeployRecord(const DeployResult& result, int nExitCode, uint32_t* pnError)
{
    // A run that opened no drive knows nothing new of them.
    int nVerified = !DidRunReadDrives(result.nOutcome)   ? RECORD_VALUE_KEEP
                    : IsVerifiedOutcome(result.nOutcome) ? RECORD_VALUE_TEXT
                                                         : RECORD_VALUE_DELETE;
    const RecordValue aValues[] = {
        {NEWEST_REVISION_VALUE, RECORD_VALUE_TEXT, result.strNewestRevision, 0},
        {L"Outcome", RECORD_VALUE_TEXT, TextOfName(OutcomeName(result.nOutcome)), 0},
        {L"ExitCode", RECORD_VALUE_NUMBER, DriveText(), static_cast<uint32_t>(nExitCode)},
        {L"Finished", RECORD_VALUE_TEXT, UtcTimeStamp(), 0},
        {L"Version", RECORD_VALUE_TEXT, L"" FWLAUNCH_VERSION_TEXT, 0},
        {L"VerifiedRevision", nVerified, result.strNewestRevision, 0},
    };
    DriveText strKey = DeployRecordKey(result.strTag);
    if (!WriteMachineRecord(strKey, false, aValues, sizeof(aValues) / sizeof(aValues[0]), pnError))
        return false;
    if (!HasDriveAwaitingRestart(result))
        return true;
    const RecordValue pending = {NEWEST_REVISION_VALUE, RECORD_VALUE_TEXT, result.strNewestRevision, 0};
    return WriteMachineRecord(strKey + RESTART_PENDING_KEY, true, &pending, 1, pnError);
}

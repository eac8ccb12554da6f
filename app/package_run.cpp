#include "app/package_run.h"

#include "drive/identity.h"
#include "platform/platform.h"

UpdaterRecord NewUpdaterRecord(ModelCode nModel)
{
    UpdaterRecord record;
    record.nModel = nModel;
    record.nState = UPDATER_STATE_NOT_FOUND;
    record.run = PackageRun{false, false, 0, false};
    return record;
}

void RunFirstCandidate(UpdaterRecord* pRecord, void*)
{
    pRecord->strPath = FindUpdaterPackage(pRecord->nModel);
    if (pRecord->strPath.empty())
        return;
    pRecord->run = RunUpdaterPackage(pRecord->strPath);
    pRecord->nState = pRecord->run.bStarted ? UPDATER_STATE_ENDED : UPDATER_STATE_START_FAILED;
}

// Why no further updater may start after this one; empty when they may.
static DriveText ReasonToStopAfter(const UpdaterRecord& record)
{
    if (record.nState == UPDATER_STATE_TIMED_OUT)
        return L"an earlier updater is still running";
    if (record.nState == UPDATER_STATE_ENDED && record.run.bExitCodeRead &&
        record.run.nExitCode == UPDATER_EXIT_RESTART_STARTED)
        return L"a restart is under way";
    return DriveText();
}

bool RunUpdaterPackages(const DriveText& strTag, const TargetList& list, const UpdaterRunner& runner,
                        UpdaterRecords* pRecords)
{
    bool bAllStarted = true;
    bool bModel0Done = false;
    bool bModel2Done = false;
    DriveText strStopReason;
    pRecords->nUpdaters = 0;
    for (int i = 0; i < list.nTargets; ++i) {
        ModelCode nSearch = MODEL_CODE_NONE;
        DriveText strVendorId = ReadVendorIdentity(list.achTargetLetter[i]);
        if (!strVendorId.empty()) {
            ModelCode nCode = ClassifyModel(strVendorId, strTag);
            if (nCode == MODEL_CODE_5121 && !bModel0Done) {
                bModel0Done = true;
                nSearch = MODEL_CODE_5121;
            } else if (nCode == MODEL_CODE_5120 && !bModel2Done) {
                bModel2Done = true;
                nSearch = MODEL_CODE_5120;
            }
        }
        if (nSearch != MODEL_CODE_NONE) {
            UpdaterRecord& record = pRecords->aUpdaters[pRecords->nUpdaters++];
            record = NewUpdaterRecord(nSearch);
            if (strStopReason.empty()) {
                runner.pfnRun(&record, runner.pvContext);
                strStopReason = ReasonToStopAfter(record);
            } else {
                record.nState = UPDATER_STATE_NOT_STARTED;
                record.strReason = strStopReason;
            }
            if (record.nState == UPDATER_STATE_START_FAILED)
                bAllStarted = false;
            if (runner.pfnEnded != nullptr)
                runner.pfnEnded(record, runner.pvContext);
        }
        if (bModel0Done && bModel2Done)
            break;
    }
    return bAllStarted;
}

void VerifyTargets(const DriveText& strNewestRev, const TargetList& list, TargetCheck aChecks[TARGET_SLOTS])
{
    for (int j = 0; j < list.nTargets; ++j)
        aChecks[j].bOutdated = CheckFirmwareRevision(strNewestRev, list.achTargetLetter[j], &aChecks[j].strRevision);
}

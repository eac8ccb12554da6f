#include "app/package_run.h"

#include "drive/identity.h"

static void TellUpdaterEvent(UpdaterEventFn pfnEvent, const UpdaterRecord& record, bool bEnded, void* pvContext)
{
    if (pfnEvent != nullptr)
        pfnEvent(record, bEnded, pvContext);
}

bool RunUpdaterPackages(const DriveText& strTag, const TargetList& list, uint32_t nStartFlags, UpdaterRecords* pRecords,
                        UpdaterEventFn pfnEvent, void* pvContext)
{
    bool bAllStarted = true;
    bool bModel0Done = false;
    bool bModel2Done = false;
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
            record.nModel = nSearch;
            record.strPath = FindUpdaterPackage(nSearch);
            record.run = PackageRun{false, false, 0};
            if (!record.strPath.empty()) {
                TellUpdaterEvent(pfnEvent, record, false, pvContext);
                record.run = RunUpdaterPackage(record.strPath, nStartFlags);
                if (!record.run.bStarted)
                    bAllStarted = false;
            }
            TellUpdaterEvent(pfnEvent, record, true, pvContext);
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

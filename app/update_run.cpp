#include "app/update_run.h"

#include "app/package_run.h"
#include "messages/message_catalogue.h"

const wchar_t LIST_SEPARATOR[] = L"\n\r";

static void ShowNotice(uint32_t nId)
{
    DriveText strText;
    LoadMessage(nId, strText);
    ShowMessage(strText, BOX_KIND_OK);
}

DriveText ComposeConfirmation(const TargetList& list)
{
    DriveText strFormat;
    LoadMessage(MSG_TARGETS_FOUND, strFormat);
    DriveText strText = FormatCount(strFormat, list.nTargets);
    for (int i = 0; i < list.nTargets; ++i)
        strText += LIST_SEPARATOR + list.astrTargetEntry[i];
    return strText;
}

static DriveText ComposeReport(const DriveText& strNewestRev, const TargetList& list)
{
    TargetCheck aChecks[TARGET_SLOTS];
    VerifyTargets(strNewestRev, list, aChecks);
    DriveText strFail;
    for (int j = 0; j < list.nTargets; ++j) {
        if (aChecks[j].bOutdated)
            strFail += LIST_SEPARATOR + list.astrTargetEntry[j];
    }
    DriveText strText;
    if (!strFail.empty()) {
        LoadMessage(MSG_UPDATE_FAILED, strText);
        return strText + strFail;
    }
    LoadMessage(MSG_UPDATE_COMPLETED, strText);
    for (int k = 0; k < list.nTargets; ++k)
        strText += LIST_SEPARATOR + list.astrTargetEntry[k];
    return strText;
}

void RunUpdateSequence(const DriveText& strTag, const DriveText& strNewestRev, const TargetList& list, int* pnRetCode)
{
    if (list.nFound == 0) {
        ShowNotice(MSG_NO_TARGET);
        return;
    }
    if (list.nTargets == 0) {
        ShowNotice(MSG_ALREADY_LATEST);
        return;
    }
    int nAnswer = ShowMessage(ComposeConfirmation(list), BOX_KIND_OK_CANCEL);
    if (nAnswer == BOX_RESULT_CANCEL)
        return;
    // Only an explicit OK is consent: a box that could not be shown, or
    // closed any other way, must never start a firmware update.
    if (nAnswer != BOX_RESULT_OK) {
        *pnRetCode = 1;
        return;
    }
    // Another run's updater may be writing firmware: then none is started
    // here, which counts as a failed start, and the report tells what is
    // still outdated. The lock is not held while the last box waits.
    OsHandle hLock = OS_INVALID_HANDLE;
    uint32_t nLockError = 0;
    TakeUpdateLock(&hLock, &nLockError);
    UpdaterRecords records;
    if (hLock == OS_INVALID_HANDLE ||
        !RunUpdaterPackages(strTag, list, UpdaterRunner{RunFirstCandidate, nullptr, nullptr}, &records))
        *pnRetCode = 1;
    DriveText strReport = ComposeReport(strNewestRev, list);
    ReleaseUpdateLock(hLock);
    ShowMessage(strReport, BOX_KIND_OK);
}

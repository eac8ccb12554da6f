#include "app/update_run.h"

#include "drive/identity.h"
#include "messages/message_catalogue.h"
#include "updater/updater_package.h"

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

// Runs each model's package once, on behalf of the first target whose
// re-read identity is of that model; it is expected to update them all.
static void RunPackages(const DriveText& strTag, const TargetList& list, int* pnRetCode)
{
    bool bModel0Done = false;
    bool bModel2Done = false;
    for (int i = 0; i < list.nTargets; ++i) {
        DriveText strPath;
        DriveText strVendorId = ReadVendorIdentity(list.achTargetLetter[i]);
        if (!strVendorId.empty()) {
            ModelCode nCode = ClassifyModel(strVendorId, strTag);
            if (nCode == MODEL_CODE_5121 && !bModel0Done) {
                bModel0Done = true;
                strPath = FindUpdaterPackage(MODEL_CODE_5121);
            } else if (nCode == MODEL_CODE_5120 && !bModel2Done) {
                bModel2Done = true;
                strPath = FindUpdaterPackage(MODEL_CODE_5120);
            }
        }
        if (!strPath.empty() && !RunUpdater(strPath))
            *pnRetCode = 1;
        if (bModel0Done && bModel2Done)
            break;
    }
}

static DriveText ComposeReport(const DriveText& strNewestRev, const TargetList& list)
{
    DriveText strFail;
    for (int j = 0; j < list.nTargets; ++j) {
        if (IsFirmwareOutdated(strNewestRev, list.achTargetLetter[j]))
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

void RunUpdateSequence(const DriveText& strTag, const DriveText& strNewestRev, const TargetList& list,
                       int* pnRetCode)
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
    RunPackages(strTag, list, pnRetCode);
    ShowMessage(ComposeReport(strNewestRev, list), BOX_KIND_OK);
}

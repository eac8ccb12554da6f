#include "app/drive_scan.h"

#include "drive/identity.h"
#include "drive/transport.h"

void ClearTargetList(TargetList* pList)
{
    for (int i = 0; i < TARGET_SLOTS; ++i) {
        pList->achTargetLetter[i] = 0;
        pList->astrTargetEntry[i].clear();
    }
    pList->nTargets = 0;
    pList->nFound = 0;
}

DriveText ReadTargetEntry(char chLetter)
{
    DriveText strEntry(1, static_cast<wchar_t>(static_cast<unsigned char>(chLetter)));
    strEntry += L':';
    // A drive that no longer opens still gets its letter and colon.
    OpenDrive(chLetter);
    uint8_t abBuffer[IDENTITY_BUFFER_BYTES] = {0};
    SendCdb(INQUIRY_TRANSFER_LENGTH, INQUIRY_CDB, abBuffer);
    abBuffer[INQUIRY_ENTRY_TEXT_END] = 0;
    CloseDrive();
    strEntry += WidenAnsi(abBuffer + INQUIRY_ENTRY_TEXT_OFFSET, INQUIRY_ENTRY_TEXT_END - INQUIRY_ENTRY_TEXT_OFFSET);
    return strEntry;
}

void ScanDrives(const DriveText& strTag, const DriveText& strNewestRev, TargetList* pList, RecognisedList* pRecognised)
{
    if (pRecognised != nullptr)
        pRecognised->nDrives = pRecognised->nRefused = 0;
    for (char chLetter = 'C'; chLetter <= 'Z'; ++chLetter) {
        uint32_t nOpenError = 0;
        DriveText strVendorId = ReadVendorIdentity(chLetter, &nOpenError);
        if (pRecognised != nullptr && IsVolumeRefusal(nOpenError) && pRecognised->nRefused < TARGET_SLOTS)
            pRecognised->aRefused[pRecognised->nRefused++] = RefusedVolume{chLetter, nOpenError};
        if (strVendorId.empty())
            continue;
        ModelCode nCode = ClassifyModel(strVendorId, strTag);
        if (nCode != MODEL_CODE_5121 && nCode != MODEL_CODE_5120)
            continue;
        DriveText strEntry = ReadTargetEntry(chLetter);
        DriveText strRevision;
        bool bOutdated = CheckFirmwareRevision(strNewestRev, chLetter, &strRevision);
        if (pRecognised != nullptr && pRecognised->nDrives < TARGET_SLOTS)
            pRecognised->aDrives[pRecognised->nDrives++] =
                RecognisedDrive{chLetter, strEntry, nCode, strRevision, bOutdated};
        if (bOutdated && pList->nTargets < TARGET_SLOTS) {
            pList->achTargetLetter[pList->nTargets] = chLetter;
            pList->astrTargetEntry[pList->nTargets] = strEntry;
            ++pList->nTargets;
        }
        ++pList->nFound;
    }
}

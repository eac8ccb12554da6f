#include "probe/drive_probe.h"

#include <cstring>

#include "updater/updater_package.h"

const char PROBE_FIRST_LETTER = 'C';
const char PROBE_LAST_LETTER = 'Z';

bool HasVolume(uint32_t nOpenError)
{
    return nOpenError != OS_ERROR_FILE_NOT_FOUND && nOpenError != OS_ERROR_PATH_NOT_FOUND;
}

// Opens the letter, sends one command, closes it: as the launcher's queries
// do. With pDrive, asks the bus type of the open volume first.
static bool QueryProbedDrive(char chLetter, const uint8_t abCdb[SCSI_CDB_BYTES], uint32_t nTransferLength,
                             uint8_t abBuffer[IDENTITY_BUFFER_BYTES], ProbedCommand* pCommand, uint32_t* pnError,
                             ProbedDrive* pDrive)
{
    pCommand->bSent = false;
    memset(&pCommand->outcome, 0, sizeof(pCommand->outcome));
    pCommand->abData.clear();
    if (!OpenDriveWithError(chLetter, pnError))
        return false;
    if (pDrive != nullptr)
        pDrive->bBusTypeKnown = ReadOpenDriveBusType(&pDrive->nBusType);
    pCommand->bSent = true;
    SendCdbWithOutcome(nTransferLength, abCdb, abBuffer, &pCommand->outcome);
    CloseDrive();
    if (pCommand->outcome.bReachedDrive && pCommand->outcome.nScsiStatus == 0)
        pCommand->abData.assign(abBuffer, abBuffer + pCommand->outcome.cbTransferred);
    return true;
}

static void ProbeLetter(char chLetter, const ProbeResult& result, ProbedDrive* pDrive)
{
    uint8_t abVendor[IDENTITY_BUFFER_BYTES] = {0};
    if (!QueryProbedDrive(chLetter, VENDOR_IDENTITY_CDB, VENDOR_IDENTITY_TRANSFER_LENGTH, abVendor,
                          &pDrive->vendorIdentity, &pDrive->nOpenError, pDrive))
        return;
    pDrive->strVendorIdentity = VendorIdentityFromAnswer(abVendor);
    pDrive->nModelOfPrefix = ModelOfPrefix(pDrive->strVendorIdentity);
    pDrive->bCarriesTag = CarriesTag(pDrive->strVendorIdentity, result.strTag);

    uint8_t abInquiry[IDENTITY_BUFFER_BYTES] = {0};
    uint32_t nSecondOpenError = 0;
    QueryProbedDrive(chLetter, INQUIRY_CDB, INQUIRY_TRANSFER_LENGTH, abInquiry, &pDrive->inquiry, &nSecondOpenError,
                     nullptr);
    pDrive->strInquiryVendor = InquiryTextField(abInquiry, INQUIRY_VENDOR_OFFSET, INQUIRY_VENDOR_BYTES);
    pDrive->strInquiryProduct = InquiryTextField(abInquiry, INQUIRY_PRODUCT_OFFSET, INQUIRY_PRODUCT_BYTES);
    pDrive->strInquiryRevision = InquiryTextField(abInquiry, INQUIRY_REVISION_OFFSET, INQUIRY_REVISION_BYTES);
    DriveText strInquiryIdentity = InquiryIdentityFromAnswer(chLetter, abInquiry);

    ModelCode nModel = ClassifyModel(pDrive->strVendorIdentity, result.strTag);
    if (nModel == MODEL_CODE_NONE)
        return;
    pDrive->nVerdict = IsRevisionOutdated(result.strNewestRevision, strInquiryIdentity) ? PROBE_VERDICT_OUTDATED
                                                                                        : PROBE_VERDICT_CURRENT;
    pDrive->strPackage = FindUpdaterPackage(nModel);
}

void ProbeDrives(const DriveText& strTag, const DriveText& strNewestRevision, ProbeResult* pResult)
{
    *pResult = ProbeResult();
    pResult->strTag = strTag;
    pResult->strNewestRevision = strNewestRevision;
    pResult->nWithoutVolume = pResult->nRefused = pResult->nTargets = pResult->nCurrent = pResult->nOutdated = 0;
    for (char chLetter = PROBE_FIRST_LETTER; chLetter <= PROBE_LAST_LETTER; ++chLetter) {
        ProbedDrive drive = ProbedDrive();
        drive.chLetter = chLetter;
        drive.nModelOfPrefix = MODEL_CODE_NONE;
        drive.bCarriesTag = false;
        drive.bBusTypeKnown = false;
        drive.nBusType = 0;
        drive.nVerdict = PROBE_VERDICT_NOT_TARGET;
        ProbeLetter(chLetter, *pResult, &drive);
        if (!HasVolume(drive.nOpenError)) {
            ++pResult->nWithoutVolume;
            continue;
        }
        pResult->nRefused += IsVolumeRefusal(drive.nOpenError);
        pResult->nTargets += drive.nVerdict != PROBE_VERDICT_NOT_TARGET;
        pResult->nCurrent += drive.nVerdict == PROBE_VERDICT_CURRENT;
        pResult->nOutdated += drive.nVerdict == PROBE_VERDICT_OUTDATED;
        pResult->aDrives.push_back(drive);
    }
}

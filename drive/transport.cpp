#include "drive/transport.h"

#include <cstring>

OsHandle g_hDrive = OS_INVALID_HANDLE;

bool OpenDrive(char chLetter)
{
    return OpenDriveWithError(chLetter, nullptr);
}

bool OpenDriveWithError(char chLetter, uint32_t* pnError)
{
    CloseDrive();
    if (pnError != nullptr)
        *pnError = 0;
    if (chLetter == 0)
        return false;
    DriveText strPath = L"\\\\.\\";
    strPath += static_cast<wchar_t>(static_cast<unsigned char>(chLetter));
    strPath += L':';
    g_hDrive = OpenVolume(strPath, pnError);
    return g_hDrive != OS_INVALID_HANDLE;
}

void CloseDrive()
{
    if (g_hDrive != OS_INVALID_HANDLE)
        CloseVolume(g_hDrive);
    g_hDrive = OS_INVALID_HANDLE;
}

bool ReadOpenDriveBusType(uint32_t* pnBusType)
{
    return g_hDrive != OS_INVALID_HANDLE && QueryVolumeBusType(g_hDrive, pnBusType);
}

bool IsVolumeRefusal(uint32_t nOpenError)
{
    return nOpenError == OS_ERROR_ACCESS_DENIED || nOpenError == OS_ERROR_SHARING_VIOLATION;
}

static bool IsUnitAttention(SenseClass nClass)
{
    return nClass == SENSE_CLASS_MEDIUM_CHANGED || nClass == SENSE_CLASS_POWER_ON_RESET;
}

bool SendCdb(uint32_t nTransferLength, const uint8_t abCdb[SCSI_CDB_BYTES], uint8_t* pbData)
{
    CdbOutcome outcome;
    return SendCdbWithOutcome(nTransferLength, abCdb, pbData, &outcome);
}

bool SendCdbWithOutcome(uint32_t nTransferLength, const uint8_t abCdb[SCSI_CDB_BYTES], uint8_t* pbData,
                        CdbOutcome* pOutcome)
{
    memset(pOutcome, 0, sizeof(*pOutcome));
    for (int nAttempt = 0; nAttempt < SEND_CDB_MAX_ATTEMPTS; ++nAttempt) {
        ScsiRequest request;
        memset(&request, 0, sizeof(request));
        memcpy(request.abCdb, abCdb, SCSI_CDB_BYTES);
        request.nCdbLength = SCSI_CDB_BYTES;
        request.nSenseInfoLength = SCSI_REQUEST_SENSE_LENGTH;
        request.bDataIn = true;
        request.nTransferLength = nTransferLength;
        request.pbData = pbData;
        request.nTimeoutSeconds = SCSI_TIMEOUT_SECONDS;

        // A command that never reached the drive is no success.
        pOutcome->bReachedDrive = SendScsiRequest(g_hDrive, &request);
        if (!pOutcome->bReachedDrive)
            return false;
        pOutcome->nScsiStatus = request.nScsiStatus;
        if (request.nScsiStatus == 0) {
            pOutcome->cbSense = 0;
            pOutcome->cbTransferred = request.nTransferred;
            return true;
        }
        memcpy(pOutcome->abSense, request.abSense, sizeof(pOutcome->abSense));
        pOutcome->cbSense = request.nSenseReturned;
        SenseClass nClass = ClassifySense(request.abSense[SENSE_KEY_BYTE], request.abSense[SENSE_ASC_BYTE],
                                          request.abSense[SENSE_ASCQ_BYTE]);
        if (!IsUnitAttention(nClass))
            return false;
    }
    return false;
}

SenseClass ClassifySense(uint8_t nSenseKey, uint8_t nAsc, uint8_t nAscq)
{
    switch (nSenseKey) {
    case 0x00: return (nAsc == 0x00 && nAscq == 0x00) ? SENSE_CLASS_NONE : SENSE_CLASS_OTHER;
    case 0x02:
        if (nAsc == 0x04) {
            if (nAscq == 0x01)
                return SENSE_CLASS_BECOMING_READY;
            if (nAscq == 0x02)
                return SENSE_CLASS_INIT_REQUIRED;
            if (nAscq == 0x08)
                return SENSE_CLASS_LONG_WRITE;
        }
        if (nAsc == 0x3A && nAscq <= 0x02)
            return SENSE_CLASS_NO_MEDIUM;
        return SENSE_CLASS_OTHER;
    case 0x04:
        if (nAsc == 0x08 && nAscq == 0x01)
            return SENSE_CLASS_COMM_TIMEOUT;
        if (nAsc == 0x4C && nAscq == 0x00)
            return SENSE_CLASS_SELF_CONFIG_FAILED;
        return SENSE_CLASS_OTHER;
    case 0x06:
        if (nAsc == 0x28 && nAscq == 0x00)
            return SENSE_CLASS_MEDIUM_CHANGED;
        if (nAsc == 0x29 && nAscq == 0x00)
            return SENSE_CLASS_POWER_ON_RESET;
        return SENSE_CLASS_OTHER;
    default: return SENSE_CLASS_OTHER;
    }
}

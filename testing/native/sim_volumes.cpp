#include "testing/native/sim_volumes.h"

#include <cstring>

ScsiRequest g_lastSimRequest;

// Handle values are counted up and never given out twice.
static uintptr_t g_nNextSimHandle = 0x5100;

OsHandle OpenVolume(const DriveText& strDevicePath, uint32_t* pnError)
{
    int nIndex = LetterIndexOfVolumePath(strDevicePath);
    uint32_t nError = OS_ERROR_FILE_NOT_FOUND;
    if (nIndex < 0)
        RecordSimEvent("open ? fail");
    else
        nError = OpenSimDrive(nIndex);
    if (nError != 0) {
        if (pnError != nullptr)
            *pnError = nError;
        return OS_INVALID_HANDLE;
    }
    OsHandle hVolume = reinterpret_cast<OsHandle>(g_nNextSimHandle);
    g_nNextSimHandle += 4;
    RegisterSimHandle(hVolume, nIndex);
    return hVolume;
}

void CloseVolume(OsHandle hVolume)
{
    bool bClosed = false;
    FindSimHandle(hVolume, &bClosed);
    if (!CloseSimHandle(hVolume) && bClosed)
        RecordSimEvent("violation close of a closed handle");
}

bool SendScsiRequest(OsHandle hVolume, ScsiRequest* pRequest)
{
    bool bClosed = false;
    int nIndex = FindSimHandle(hVolume, &bClosed);
    if (nIndex < 0) {
        RecordSimEvent(std::string(bClosed ? "violation send on a closed handle " : "send - ") +
                       FormatHexBytes(pRequest->abCdb, pRequest->nCdbLength) + " len " +
                       std::to_string(pRequest->nTransferLength) + " failed");
        return false;
    }
    g_lastSimRequest = *pRequest;
    SimCommand command = {pRequest->abCdb, pRequest->nCdbLength, pRequest->pbData, pRequest->nTransferLength,
                          pRequest->nSenseInfoLength};
    SimCompletion completion;
    if (!AnswerSimCommand(nIndex, command, &completion))
        return false;
    pRequest->nScsiStatus = completion.nStatus;
    memcpy(pRequest->abSense, completion.abSense, completion.cbSense);
    pRequest->nTransferred = completion.cbData;
    pRequest->nSenseReturned = static_cast<uint8_t>(completion.cbSense);
    return true;
}

bool QueryVolumeBusType(OsHandle hVolume, uint32_t* pnBusType)
{
    bool bClosed = false;
    int nIndex = FindSimHandle(hVolume, &bClosed);
    if (nIndex < 0) {
        RecordSimEvent(bClosed ? "violation bus query on a closed handle" : "bus - failed");
        return false;
    }
    return AnswerSimBusTypeQuery(nIndex, pnBusType);
}

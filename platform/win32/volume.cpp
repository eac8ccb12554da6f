#include <algorithm>
#include <cstring>

#include "platform/win32/pass_through.h"

#include <winioctl.h>

static_assert(OS_BUS_TYPE_SCSI == BusTypeScsi && OS_BUS_TYPE_ATA == BusTypeAta && OS_BUS_TYPE_USB == BusTypeUsb &&
                  OS_BUS_TYPE_RAID == BusTypeRAID && OS_BUS_TYPE_SAS == BusTypeSas && OS_BUS_TYPE_SATA == BusTypeSata &&
                  OS_BUS_TYPE_SD == BusTypeSd && OS_BUS_TYPE_VIRTUAL == BusTypeVirtual &&
                  OS_BUS_TYPE_NVME == BusTypeNvme,
              "storage bus types");
static_assert(OS_ERROR_FILE_NOT_FOUND == ERROR_FILE_NOT_FOUND && OS_ERROR_PATH_NOT_FOUND == ERROR_PATH_NOT_FOUND &&
                  OS_ERROR_ACCESS_DENIED == ERROR_ACCESS_DENIED,
              "Windows error numbers");

void PackPassThrough(const ScsiRequest& request, void* pvData, SPTD_WITH_SENSE* pBlock)
{
    memset(pBlock, 0, sizeof(*pBlock));
    pBlock->sptd.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
    pBlock->sptd.CdbLength = request.nCdbLength;
    pBlock->sptd.SenseInfoLength = request.nSenseInfoLength;
    pBlock->sptd.DataIn = request.bDataIn ? SCSI_IOCTL_DATA_IN : SCSI_IOCTL_DATA_OUT;
    pBlock->sptd.DataTransferLength = request.nTransferLength;
    pBlock->sptd.TimeOutValue = request.nTimeoutSeconds;
    pBlock->sptd.DataBuffer = pvData;
    pBlock->sptd.SenseInfoOffset = offsetof(SPTD_WITH_SENSE, abSense);
    memcpy(pBlock->sptd.Cdb, request.abCdb, sizeof(pBlock->sptd.Cdb));
}

void* AllocateTransferBuffer(size_t cbSize)
{
    // VirtualAlloc hands out whole pages, so the buffer starts on a page.
    return VirtualAlloc(nullptr, cbSize ? cbSize : 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void FreeTransferBuffer(void* pvBuffer)
{
    VirtualFree(pvBuffer, 0, MEM_RELEASE);
}

OsHandle OpenVolume(const DriveText& strDevicePath, uint32_t* pnError)
{
    HANDLE hVolume =
        CreateFileW(strDevicePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hVolume == INVALID_HANDLE_VALUE && pnError != nullptr)
        *pnError = GetLastError();
    return hVolume;
}

void CloseVolume(OsHandle hVolume)
{
    CloseHandle(hVolume);
}

bool SendScsiRequest(OsHandle hVolume, ScsiRequest* pRequest)
{
    void* pvTransfer = AllocateTransferBuffer(pRequest->nTransferLength);
    if (pvTransfer == nullptr)
        return false;
    memcpy(pvTransfer, pRequest->pbData, pRequest->nTransferLength);

    SPTD_WITH_SENSE block;
    PackPassThrough(*pRequest, pvTransfer, &block);
    DWORD cbReturned = 0;
    BOOL bOk = DeviceIoControl(hVolume, IOCTL_SCSI_PASS_THROUGH_DIRECT, &block, sizeof(block), &block, sizeof(block),
                               &cbReturned, nullptr);
    if (bOk) {
        memcpy(pRequest->pbData, pvTransfer, pRequest->nTransferLength);
        pRequest->nScsiStatus = block.sptd.ScsiStatus;
        memcpy(pRequest->abSense, block.abSense, sizeof(block.abSense));
        // The driver reports what it transferred in the same fields.
        pRequest->nTransferred = std::min<uint32_t>(block.sptd.DataTransferLength, pRequest->nTransferLength);
        pRequest->nSenseReturned = std::min<uint8_t>(block.sptd.SenseInfoLength, SCSI_SENSE_AREA_BYTES);
    }
    FreeTransferBuffer(pvTransfer);
    return bOk != FALSE;
}

bool QueryVolumeBusType(OsHandle hVolume, uint32_t* pnBusType)
{
    STORAGE_PROPERTY_QUERY query;
    memset(&query, 0, sizeof(query));
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    STORAGE_DEVICE_DESCRIPTOR descriptor;
    memset(&descriptor, 0, sizeof(descriptor));
    DWORD cbReturned = 0;
    if (!DeviceIoControl(hVolume, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), &descriptor, sizeof(descriptor),
                         &cbReturned, nullptr) ||
        cbReturned < offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof(descriptor.BusType))
        return false;
    *pnBusType = descriptor.BusType;
    return true;
}

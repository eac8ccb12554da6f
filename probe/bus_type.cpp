#include "probe/bus_type.h"

#include "platform/platform.h"

std::string BusTypeName(bool bKnown, uint32_t nBusType)
{
    if (!bKnown)
        return "unknown";
    switch (nBusType) {
    case OS_BUS_TYPE_SCSI: return "scsi";
    case OS_BUS_TYPE_ATA: return "ata";
    case OS_BUS_TYPE_SATA: return "sata";
    case OS_BUS_TYPE_SAS: return "sas";
    case OS_BUS_TYPE_NVME: return "nvme";
    case OS_BUS_TYPE_USB: return "usb";
    case OS_BUS_TYPE_RAID: return "raid";
    case OS_BUS_TYPE_SD: return "sd";
    case OS_BUS_TYPE_VIRTUAL: return "virtual";
    default: return "other:" + std::to_string(nBusType);
    }
}

DriveText UnrecognisedOnBusReason(bool bKnown, uint32_t nBusType)
{
    // Windows' NVMe driver translates INQUIRY but not READ BUFFER; a RAID
    // controller answers for its volume, not for the drives behind it.
    if (bKnown && nBusType == OS_BUS_TYPE_NVME)
        return L"the NVMe bus passes no vendor READ BUFFER to the drive";
    if (bKnown && nBusType == OS_BUS_TYPE_RAID)
        return L"a RAID controller answers for the drive";
    return DriveText();
}

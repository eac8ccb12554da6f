#pragma once
// The names the probe gives a volume's bus, in its reports and captures.
#include <cstdint>
#include <string>

#include "platform/drive_text.h"

// "scsi", "ata", "sata", "sas", "nvme", "usb", "raid", "sd", "virtual",
// "other:N" for any other bus, "unknown" when the query failed.
std::string BusTypeName(bool bKnown, uint32_t nBusType);
// Why a drive on this bus may not be recognised, or empty: the bus's own
// translation, not the drive, answers the commands.
DriveText UnrecognisedOnBusReason(bool bKnown, uint32_t nBusType);

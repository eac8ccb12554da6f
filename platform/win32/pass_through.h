#pragma once
// The 32-bit SCSI_PASS_THROUGH_DIRECT record with its sense area, as one
// 80-byte block used both as input and output of the device call.
#include <windows.h>
#include <ntddscsi.h>

#include <cstddef>

#include "platform/platform.h"

struct SPTD_WITH_SENSE {
    SCSI_PASS_THROUGH_DIRECT sptd;
    ULONG ulGap;
    UCHAR abSense[SCSI_SENSE_AREA_BYTES];
};

static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44, "32-bit pass-through record");
static_assert(sizeof(SPTD_WITH_SENSE) == 80, "request block");
static_assert(offsetof(SPTD_WITH_SENSE, abSense) == 48, "sense area offset");
static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == 0x0004D014, "pass-through control code");

// Fills the block from the request; pvData is the buffer the driver sees.
void PackPassThrough(const ScsiRequest& request, void* pvData, SPTD_WITH_SENSE* pBlock);
// A page-aligned transfer buffer: some adapters reject a direct transfer into
// memory that does not meet their alignment. Free with FreeTransferBuffer.
void* AllocateTransferBuffer(size_t cbSize);
void FreeTransferBuffer(void* pvBuffer);

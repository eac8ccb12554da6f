#pragma once
// The SCSI_PASS_THROUGH_DIRECT record with its sense area, as one block used
// both as input and output of the device call: 80 bytes in a 32-bit process,
// 88 in a 64-bit one, where the record holds a 64-bit buffer pointer.
#include <windows.h>
#include <ntddscsi.h>

#include <cstddef>

#include "platform/platform.h"

struct SPTD_WITH_SENSE {
    SCSI_PASS_THROUGH_DIRECT sptd;
#ifndef _WIN64
    ULONG ulGap;
#endif
    UCHAR abSense[SCSI_SENSE_AREA_BYTES];
};

#ifdef _WIN64
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 56, "64-bit pass-through record");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == 12 &&
                  offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == 16 &&
                  offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 24 &&
                  offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == 32 &&
                  offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 36,
              "64-bit pass-through fields");
static_assert(sizeof(SPTD_WITH_SENSE) == 88, "request block");
static_assert(offsetof(SPTD_WITH_SENSE, abSense) == 56, "sense area offset");
#else
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44, "32-bit pass-through record");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == 12 &&
                  offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == 16 &&
                  offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 20 &&
                  offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == 24 &&
                  offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 28,
              "32-bit pass-through fields");
static_assert(sizeof(SPTD_WITH_SENSE) == 80, "request block");
static_assert(offsetof(SPTD_WITH_SENSE, abSense) == 48, "sense area offset");
#endif
static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == 0x0004D014, "pass-through control code");

// Fills the block from the request; pvData is the buffer the driver sees.
void PackPassThrough(const ScsiRequest& request, void* pvData, SPTD_WITH_SENSE* pBlock);
// A page-aligned transfer buffer: some adapters reject a direct transfer into
// memory that does not meet their alignment. Free with FreeTransferBuffer.
void* AllocateTransferBuffer(size_t cbSize);
void FreeTransferBuffer(void* pvBuffer);

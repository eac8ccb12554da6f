#pragma once
// The SCSI_PASS_THROUGH_DIRECT block of a 32-bit and of a 64-bit caller,
// read from its raw bytes with offsets of the simulator's own: the simulated
// driver checks what the launcher really sends, not what its header says it
// sends.
#include <cstdint>
#include <string>

const uint32_t SPTD_IOCTL_PASS_THROUGH_DIRECT = 0x0004D014;
// The fields at the same place in both layouts.
const size_t SPTD_OFFSET_LENGTH = 0;  // 2 bytes
const size_t SPTD_OFFSET_SCSI_STATUS = 2;
const size_t SPTD_OFFSET_CDB_LENGTH = 6;
const size_t SPTD_OFFSET_SENSE_INFO_LENGTH = 7;
const size_t SPTD_OFFSET_DATA_IN = 8;
const size_t SPTD_OFFSET_DATA_TRANSFER_LENGTH = 12;  // 4 bytes
const size_t SPTD_OFFSET_TIME_OUT_VALUE = 16;        // 4 bytes

// Where a layout keeps the rest, and what its Length and SenseInfoOffset must
// say.
struct SptdLayout {
    uint32_t cbBlock;
    size_t nOffsetDataBuffer;
    size_t cbDataBuffer;  // a 32-bit or a 64-bit pointer
    size_t nOffsetSenseInfoOffset;
    size_t nOffsetCdb;  // 16 bytes
    uint32_t nExpectedLength;
    uint32_t nExpectedSenseInfoOffset;
};
const SptdLayout SPTD_LAYOUT_32 = {80, 20, 4, 24, 28, 44, 48};
const SptdLayout SPTD_LAYOUT_64 = {88, 24, 8, 32, 36, 56, 56};
// A driver sees a request in the layout of the process that sent it.
static const SptdLayout& SPTD_CALLER_LAYOUT = sizeof(void*) == 8 ? SPTD_LAYOUT_64 : SPTD_LAYOUT_32;

// What the launcher must put in the block, as a driver insists on it.
const uint32_t SPTD_EXPECTED_CDB_LENGTH = 12;
const uint32_t SPTD_EXPECTED_SENSE_INFO_LENGTH = 18;
const uint32_t SPTD_EXPECTED_DATA_IN = 1;
const uint32_t SPTD_EXPECTED_TIME_OUT_VALUE = 360;
const uint32_t SPTD_PAGE_BYTES = 4096;

// One device call as the caller made it.
struct SptdCall {
    uint32_t nControlCode;
    void* pvIn;
    uint32_t cbIn;
    void* pvOut;
    uint32_t cbOut;
    bool bHasBytesReturned;
};

// Empty when the call is as a driver expects it; otherwise what departs.
std::string CheckSptdCall(const SptdCall& call);
// Answers a checked call from the simulated drive at nIndex, as a driver
// fills the block (DataTransferLength and SenseInfoLength become what was
// returned); false when the device call itself fails.
bool AnswerSptdCall(int nIndex, const SptdCall& call);
// The command of a call, as the trace shows it: "12 00 ... len 254".
std::string DescribeSptdCommand(const SptdCall& call);
// The whole input buffer of a call, in hex, a byte at a time.
std::string DescribeSptdBlock(const SptdCall& call);

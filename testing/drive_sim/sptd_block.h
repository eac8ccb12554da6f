#pragma once
// The 80-byte SCSI_PASS_THROUGH_DIRECT block of a 32-bit caller, read from
// its raw bytes with offsets of the simulator's own: the simulated driver
// checks what the launcher really sends, not what its header says it sends.
#include <cstdint>
#include <string>

const uint32_t SPTD_IOCTL_PASS_THROUGH_DIRECT = 0x0004D014;
const uint32_t SPTD_BLOCK_BYTES = 80;
const size_t SPTD_OFFSET_LENGTH = 0;  // 2 bytes
const size_t SPTD_OFFSET_SCSI_STATUS = 2;
const size_t SPTD_OFFSET_CDB_LENGTH = 6;
const size_t SPTD_OFFSET_SENSE_INFO_LENGTH = 7;
const size_t SPTD_OFFSET_DATA_IN = 8;
const size_t SPTD_OFFSET_DATA_TRANSFER_LENGTH = 12;  // 4 bytes
const size_t SPTD_OFFSET_TIME_OUT_VALUE = 16;        // 4 bytes
const size_t SPTD_OFFSET_DATA_BUFFER = 20;           // a 32-bit pointer
const size_t SPTD_OFFSET_SENSE_INFO_OFFSET = 24;     // 4 bytes
const size_t SPTD_OFFSET_CDB = 28;                   // 16 bytes

// What the launcher must put in the block, as a driver insists on it.
const uint32_t SPTD_EXPECTED_LENGTH = 44;
const uint32_t SPTD_EXPECTED_CDB_LENGTH = 12;
const uint32_t SPTD_EXPECTED_SENSE_INFO_LENGTH = 18;
const uint32_t SPTD_EXPECTED_DATA_IN = 1;
const uint32_t SPTD_EXPECTED_TIME_OUT_VALUE = 360;
const uint32_t SPTD_EXPECTED_SENSE_INFO_OFFSET = 48;
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

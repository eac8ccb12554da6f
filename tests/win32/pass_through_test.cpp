#include <gtest/gtest.h>

#include <cstring>

#include "drive/identity.h"
#include "drive/transport.h"
#include "platform/win32/pass_through.h"

// The bytes the driver receives, as the process's own record lays them out.
TEST(PassThroughTest, PacksTheRequestBlockByteForByte)
{
    ScsiRequest request;
    memset(&request, 0, sizeof(request));
    memcpy(request.abCdb, VENDOR_IDENTITY_CDB, 12);
    request.nCdbLength = SCSI_CDB_BYTES;
    request.nSenseInfoLength = SCSI_REQUEST_SENSE_LENGTH;
    request.bDataIn = true;
    request.nTransferLength = 0x12345678;
    request.nTimeoutSeconds = SCSI_TIMEOUT_SECONDS;
    void* pvData = reinterpret_cast<void*>(0x00ABC000);

    SPTD_WITH_SENSE block;
    memset(&block, 0xEE, sizeof(block));
    PackPassThrough(request, pvData, &block);

#ifdef _WIN64
    const uint8_t abExpected[88] = {
        56,   0,                                      // Length
        0,    0,    0,    0,                          // ScsiStatus, PathId, TargetId, Lun
        12,   18,   1,                                // CdbLength, SenseInfoLength, DataIn
        0,    0,    0,                                // alignment
        0x78, 0x56, 0x34, 0x12,                       // DataTransferLength
        0x68, 0x01, 0,    0,                          // TimeOutValue 360
        0,    0,    0,    0,                          // alignment
        0x00, 0xC0, 0xAB, 0x00, 0,    0,    0,    0,  // DataBuffer, 8 bytes
        56,   0,    0,    0,                          // SenseInfoOffset
        0x3C, 0x02, 0xF1, 0x00, 0x00, 0x00, 0x00, 0x00, 0x30, 0x00, 0x00, 0x00, 0, 0, 0, 0,  // Cdb 12..15
        0,    0,    0,    0,                                                                 // alignment
        // sense area, 32 zero bytes
    };
#else
    const uint8_t abExpected[80] = {
        44,   0,                 // Length
        0,    0,    0,    0,     // ScsiStatus, PathId, TargetId, Lun
        12,   18,   1,           // CdbLength, SenseInfoLength, DataIn
        0,    0,    0,           // alignment
        0x78, 0x56, 0x34, 0x12,  // DataTransferLength
        0x68, 0x01, 0,    0,     // TimeOutValue 360
        0x00, 0xC0, 0xAB, 0x00,  // DataBuffer
        48,   0,    0,    0,     // SenseInfoOffset
        0x3C, 0x02, 0xF1, 0x00, 0x00, 0x00, 0x00, 0x00, 0x30, 0x00, 0x00, 0x00, 0, 0, 0, 0,  // Cdb 12..15
        0,    0,    0,    0,                                                                 // gap
        // sense area, 32 zero bytes
    };
#endif
    ASSERT_EQ(sizeof(block), sizeof(abExpected));
    EXPECT_EQ(memcmp(&block, abExpected, sizeof(abExpected)), 0);
}

TEST(PassThroughTest, TransferBuffersArePageAligned)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    for (size_t cb : {size_t(48), size_t(254), size_t(256), size_t(5000)}) {
        void* pv = AllocateTransferBuffer(cb);
        ASSERT_NE(pv, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(pv) % info.dwPageSize, 0u);
        memset(pv, 0, cb);
        FreeTransferBuffer(pv);
    }
}

TEST(PassThroughTest, SendOnAnInvalidHandleIsFalseAndLeavesTheBuffer)
{
    CloseDrive();
    uint8_t abBuffer[256];
    memset(abBuffer, 0x5A, sizeof(abBuffer));
    EXPECT_FALSE(SendCdb(INQUIRY_TRANSFER_LENGTH, INQUIRY_CDB, abBuffer));
    for (uint8_t b : abBuffer)
        ASSERT_EQ(b, 0x5A);
}

TEST(PassThroughTest, LetterWithoutAVolumeDoesNotOpen)
{
    // No drive letter Q exists in the test prefix.
    EXPECT_FALSE(OpenDrive('Q'));
    EXPECT_EQ(g_hDrive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadVendorIdentity('Q'), L"");
}

#include "testing/drive_sim/sptd_block.h"

#include <cstring>

#include "testing/drive_sim/raw_field.h"
#include "testing/drives/sim_drives.h"

static void CheckField(const char* pszName, uint64_t nActual, uint64_t nExpected, std::string* pstrWhat)
{
    if (nActual != nExpected && pstrWhat->empty())
        *pstrWhat = std::string(pszName) + " " + std::to_string(nActual) + ", expected " + std::to_string(nExpected);
}

std::string CheckSptdCall(const SptdCall& call)
{
    const SptdLayout& layout = SPTD_CALLER_LAYOUT;
    std::string strWhat;
    CheckField("control code", call.nControlCode, SPTD_IOCTL_PASS_THROUGH_DIRECT, &strWhat);
    if (!strWhat.empty())
        return strWhat;
    if (call.pvIn == nullptr || call.pvIn != call.pvOut)
        return "input and output buffers are not the same block";
    CheckField("input length", call.cbIn, layout.cbBlock, &strWhat);
    CheckField("output length", call.cbOut, layout.cbBlock, &strWhat);
    if (!strWhat.empty())
        return strWhat;
    if (!call.bHasBytesReturned)
        return "no count of bytes returned";
    const void* pvBlock = call.pvIn;
    CheckField("Length", ReadRawField(pvBlock, SPTD_OFFSET_LENGTH, 2), layout.nExpectedLength, &strWhat);
    CheckField("CdbLength", ReadRawField(pvBlock, SPTD_OFFSET_CDB_LENGTH, 1), SPTD_EXPECTED_CDB_LENGTH, &strWhat);
    CheckField("SenseInfoLength", ReadRawField(pvBlock, SPTD_OFFSET_SENSE_INFO_LENGTH, 1),
               SPTD_EXPECTED_SENSE_INFO_LENGTH, &strWhat);
    CheckField("DataIn", ReadRawField(pvBlock, SPTD_OFFSET_DATA_IN, 1), SPTD_EXPECTED_DATA_IN, &strWhat);
    CheckField("TimeOutValue", ReadRawField(pvBlock, SPTD_OFFSET_TIME_OUT_VALUE, 4), SPTD_EXPECTED_TIME_OUT_VALUE,
               &strWhat);
    CheckField("SenseInfoOffset", ReadRawField(pvBlock, layout.nOffsetSenseInfoOffset, 4),
               layout.nExpectedSenseInfoOffset, &strWhat);
    if (!strWhat.empty())
        return strWhat;
    uint64_t nDataBuffer = ReadRawField(pvBlock, layout.nOffsetDataBuffer, layout.cbDataBuffer);
    if (nDataBuffer == 0 || nDataBuffer % SPTD_PAGE_BYTES != 0)
        return "DataBuffer " + std::to_string(nDataBuffer) + " is not a page-aligned buffer";
    const uint8_t* pbCdb = static_cast<const uint8_t*>(pvBlock) + layout.nOffsetCdb;
    int64_t nAllocation = AllocationLengthOf(pbCdb);
    if (nAllocation >= 0)
        CheckField("DataTransferLength", ReadRawField(pvBlock, SPTD_OFFSET_DATA_TRANSFER_LENGTH, 4),
                   static_cast<uint64_t>(nAllocation), &strWhat);
    return strWhat;
}

bool AnswerSptdCall(int nIndex, const SptdCall& call)
{
    const SptdLayout& layout = SPTD_CALLER_LAYOUT;
    uint8_t* pbBlock = static_cast<uint8_t*>(call.pvIn);
    uint64_t nDataBuffer = ReadRawField(pbBlock, layout.nOffsetDataBuffer, layout.cbDataBuffer);
    SimCommand command;
    command.pbCdb = pbBlock + layout.nOffsetCdb;
    command.nCdbLength = static_cast<uint8_t>(ReadRawField(pbBlock, SPTD_OFFSET_CDB_LENGTH, 1));
    command.pbData = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(nDataBuffer));
    command.nTransferLength = static_cast<uint32_t>(ReadRawField(pbBlock, SPTD_OFFSET_DATA_TRANSFER_LENGTH, 4));
    command.nSenseInfoLength = static_cast<uint8_t>(ReadRawField(pbBlock, SPTD_OFFSET_SENSE_INFO_LENGTH, 1));
    SimCompletion completion;
    if (!AnswerSimCommand(nIndex, command, &completion))
        return false;
    WriteRawField(pbBlock, SPTD_OFFSET_SCSI_STATUS, 1, completion.nStatus);
    WriteRawField(pbBlock, SPTD_OFFSET_DATA_TRANSFER_LENGTH, 4, completion.cbData);
    uint64_t nSenseOffset = ReadRawField(pbBlock, layout.nOffsetSenseInfoOffset, 4);
    memcpy(pbBlock + nSenseOffset, completion.abSense, completion.cbSense);
    WriteRawField(pbBlock, SPTD_OFFSET_SENSE_INFO_LENGTH, 1, completion.cbSense);
    return true;
}

std::string DescribeSptdCommand(const SptdCall& call)
{
    const SptdLayout& layout = SPTD_CALLER_LAYOUT;
    if (call.pvIn == nullptr || call.cbIn < layout.cbBlock)
        return "(no block)";
    const uint8_t* pbBlock = static_cast<const uint8_t*>(call.pvIn);
    return FormatHexBytes(pbBlock + layout.nOffsetCdb, SPTD_EXPECTED_CDB_LENGTH) + " len " +
           std::to_string(ReadRawField(pbBlock, SPTD_OFFSET_DATA_TRANSFER_LENGTH, 4));
}

std::string DescribeSptdBlock(const SptdCall& call)
{
    if (call.pvIn == nullptr)
        return "(no block)";
    return FormatHexBytes(static_cast<const uint8_t*>(call.pvIn), call.cbIn);
}

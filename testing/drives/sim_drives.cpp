#include "testing/drives/sim_drives.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <thread>

SimDrive g_aSimDrive[SIM_LETTERS];
std::vector<std::string> g_astrSimTrace;
int g_nSimOpenHandles = 0;
int g_nSimMostOpenHandles = 0;

static void AppendTraceLine(const std::string& strLine)
{
    g_astrSimTrace.push_back(strLine);
}

void (*g_pfnSimTrace)(const std::string& strLine) = AppendTraceLine;

// Unit attentions still due on each letter's open handle, and the next
// scripted answer.
static int g_anAttentionsLeft[SIM_LETTERS];
static size_t g_anScriptNext[SIM_LETTERS];

struct SimHandleEntry {
    int nIndex;
    bool bOpen;
};
// Closed handles stay in the table, so that a later use of one is told apart
// from a handle that was never given out.
static std::map<void*, SimHandleEntry> g_mapSimHandles;

const uint8_t SCSI_OPCODE_INQUIRY = 0x12;
const uint8_t SCSI_OPCODE_READ_BUFFER = 0x3C;
const uint8_t SCSI_STATUS_CHECK_CONDITION = 0x02;

void RecordSimEvent(const std::string& strLine)
{
    g_pfnSimTrace(strLine);
}

SimDrive& SimDriveAt(char chLetter)
{
    return g_aSimDrive[chLetter - 'A'];
}

SimDrive MakeSimDrive()
{
    SimDrive drive;
    drive.bPresent = true;
    drive.bOpens = true;
    drive.nOpenError = OS_ERROR_FILE_NOT_FOUND;
    drive.abInquiry.assign(SIM_INQUIRY_BYTES, ' ');
    const uint8_t abHeader[8] = {0x00, 0x00, 0x05, 0x02, SIM_INQUIRY_BYTES - 5, 0x00, 0x00, 0x00};
    memcpy(drive.abInquiry.data(), abHeader, sizeof(abHeader));
    drive.abVendorIdentity.assign(SIM_VENDOR_IDENTITY_BYTES, 0);
    drive.nUnitAttentions = 0;
    const uint8_t abPowerOnReset[3] = {0x06, 0x29, 0x00};
    memcpy(drive.abAttentionSense, abPowerOnReset, sizeof(abPowerOnReset));
    drive.nStatus = 0;
    drive.bSenseData = false;
    memset(drive.abSenseCode, 0, sizeof(drive.abSenseCode));
    drive.inquiryFailure.nStatus = 0;
    drive.vendorIdentityFailure.nStatus = 0;
    drive.bDeviceCallFails = false;
    drive.nLatencyMs = 0;
    drive.nBusType = OS_BUS_TYPE_SAS;
    return drive;
}

void SetSimInquiryField(SimDrive* pDrive, size_t nOffset, size_t cbField, const std::string& strText)
{
    if (pDrive->abInquiry.size() < nOffset + cbField)
        pDrive->abInquiry.resize(nOffset + cbField, ' ');
    for (size_t i = 0; i < cbField; ++i)
        pDrive->abInquiry[nOffset + i] = i < strText.size() ? static_cast<uint8_t>(strText[i]) : ' ';
}

void SetSimVendorIdentityText(SimDrive* pDrive, const std::string& strText)
{
    pDrive->abVendorIdentity.assign(SIM_VENDOR_IDENTITY_BYTES, 0);
    memcpy(pDrive->abVendorIdentity.data() + SIM_VENDOR_IDENTITY_TEXT_OFFSET, strText.data(), strText.size());
}

SimDrive MakeTargetDrive(const std::string& strVendorIdentity, const std::string& strProduct,
                         const std::string& strRevision)
{
    SimDrive drive = MakeSimDrive();
    SetSimVendorIdentityText(&drive, strVendorIdentity);
    SetSimInquiryField(&drive, SIM_INQUIRY_VENDOR_OFFSET, SIM_INQUIRY_VENDOR_BYTES, "VENDOR");
    SetSimInquiryField(&drive, SIM_INQUIRY_PRODUCT_OFFSET, SIM_INQUIRY_PRODUCT_BYTES, strProduct);
    SetSimInquiryField(&drive, SIM_INQUIRY_REVISION_OFFSET, SIM_INQUIRY_REVISION_BYTES, strRevision);
    return drive;
}

void ResetSimDrives()
{
    for (int i = 0; i < SIM_LETTERS; ++i) {
        g_aSimDrive[i] = MakeSimDrive();
        g_aSimDrive[i].bPresent = false;
        g_anAttentionsLeft[i] = 0;
        g_anScriptNext[i] = 0;
    }
    g_astrSimTrace.clear();
    g_mapSimHandles.clear();
    g_nSimOpenHandles = 0;
    g_nSimMostOpenHandles = 0;
    g_pfnSimTrace = AppendTraceLine;
}

void ApplySimPackageRun(const std::string& strFileName)
{
    for (int i = 0; i < SIM_LETTERS; ++i) {
        SimDrive& drive = g_aSimDrive[i];
        if (drive.bPresent && !drive.strUpdatedBy.empty() && strFileName.find(drive.strUpdatedBy) != std::string::npos)
            SetSimInquiryField(&drive, SIM_INQUIRY_REVISION_OFFSET, SIM_INQUIRY_REVISION_BYTES,
                               drive.strRevisionAfterUpdate);
    }
}

static std::string LetterText(int nIndex)
{
    return nIndex < 0 ? std::string("-") : std::string(1, static_cast<char>('A' + nIndex));
}

int LetterIndexOfVolumePath(const DriveText& strPath)
{
    if (strPath.size() != 6 || strPath[0] != L'\\' || strPath[1] != L'\\' ||
        (strPath[2] != L'.' && strPath[2] != L'?') || strPath[3] != L'\\' || strPath[5] != L':')
        return -1;
    wchar_t chLetter = strPath[4];
    if (chLetter >= L'a' && chLetter <= L'z')
        chLetter = static_cast<wchar_t>(chLetter - L'a' + L'A');
    if (chLetter < L'A' || chLetter > L'Z')
        return -1;
    return static_cast<int>(chLetter - L'A');
}

uint32_t OpenSimDrive(int nIndex)
{
    const SimDrive& drive = g_aSimDrive[nIndex];
    if (!drive.bPresent || !drive.bOpens) {
        uint32_t nError = drive.bPresent ? drive.nOpenError : OS_ERROR_FILE_NOT_FOUND;
        std::string strWhat = nError == OS_ERROR_FILE_NOT_FOUND  ? " fail"
                              : nError == OS_ERROR_ACCESS_DENIED ? " denied"
                                                                 : " error " + std::to_string(nError);
        RecordSimEvent("open " + LetterText(nIndex) + strWhat);
        return nError;
    }
    RecordSimEvent("open " + LetterText(nIndex) + " ok");
    g_anAttentionsLeft[nIndex] = drive.nUnitAttentions;
    g_anScriptNext[nIndex] = 0;
    return 0;
}

void RegisterSimHandle(void* hHandle, int nIndex)
{
    g_mapSimHandles[hHandle] = SimHandleEntry{nIndex, true};
    ++g_nSimOpenHandles;
    g_nSimMostOpenHandles = std::max(g_nSimMostOpenHandles, g_nSimOpenHandles);
}

int FindSimHandle(void* hHandle, bool* pbClosed)
{
    auto it = g_mapSimHandles.find(hHandle);
    *pbClosed = it != g_mapSimHandles.end() && !it->second.bOpen;
    return it != g_mapSimHandles.end() && it->second.bOpen ? it->second.nIndex : -1;
}

bool CloseSimHandle(void* hHandle)
{
    auto it = g_mapSimHandles.find(hHandle);
    if (it == g_mapSimHandles.end() || !it->second.bOpen)
        return false;
    it->second.bOpen = false;
    --g_nSimOpenHandles;
    RecordSimEvent("close " + LetterText(it->second.nIndex));
    return true;
}

int64_t AllocationLengthOf(const uint8_t* pbCdb)
{
    // INQUIRY: byte 4; READ BUFFER(10): bytes 6 to 8, most significant first.
    if (pbCdb[0] == SCSI_OPCODE_INQUIRY)
        return pbCdb[4];
    if (pbCdb[0] == SCSI_OPCODE_READ_BUFFER)
        return (int64_t(pbCdb[6]) << 16) | (int64_t(pbCdb[7]) << 8) | pbCdb[8];
    return -1;
}

static bool IsVendorIdentityCommand(const uint8_t* pbCdb)
{
    return pbCdb[0] == SCSI_OPCODE_READ_BUFFER && pbCdb[1] == 0x02 && pbCdb[2] == 0xF1;
}

static const SimCommandFailure* FailureFor(const SimDrive& drive, const uint8_t* pbCdb)
{
    if (pbCdb[0] == SCSI_OPCODE_INQUIRY && drive.inquiryFailure.nStatus != 0)
        return &drive.inquiryFailure;
    if (IsVendorIdentityCommand(pbCdb) && drive.vendorIdentityFailure.nStatus != 0)
        return &drive.vendorIdentityFailure;
    return nullptr;
}

static const std::vector<uint8_t>* AnswerFor(const SimDrive& drive, const uint8_t* pbCdb)
{
    if (pbCdb[0] == SCSI_OPCODE_INQUIRY)
        return &drive.abInquiry;
    if (IsVendorIdentityCommand(pbCdb))
        return &drive.abVendorIdentity;
    return nullptr;
}

static void SetCheckCondition(SimCompletion* pCompletion, const uint8_t abCode[3])
{
    pCompletion->nStatus = SCSI_STATUS_CHECK_CONDITION;
    pCompletion->abSense[0] = 0x70;
    pCompletion->abSense[2] = abCode[0];
    pCompletion->abSense[7] = SIM_SENSE_BYTES - 8;
    pCompletion->abSense[12] = abCode[1];
    pCompletion->abSense[13] = abCode[2];
    pCompletion->cbSense = SIM_SENSE_BYTES;
}

// A GOOD answer: at most what the caller asked to receive and the command's
// allocation length allow; the rest of the caller's buffer stays as it was.
static void CopyAnswer(const SimCommand& command, const std::vector<uint8_t>& abAnswer, SimCompletion* pCompletion)
{
    uint64_t cbCopy = std::min<uint64_t>(abAnswer.size(), command.nTransferLength);
    int64_t nAllocation = AllocationLengthOf(command.pbCdb);
    if (nAllocation >= 0)
        cbCopy = std::min<uint64_t>(cbCopy, static_cast<uint64_t>(nAllocation));
    if (cbCopy > 0)
        memcpy(command.pbData, abAnswer.data(), static_cast<size_t>(cbCopy));
    pCompletion->cbData = static_cast<uint32_t>(cbCopy);
}

bool AnswerSimBusTypeQuery(int nIndex, uint32_t* pnBusType)
{
    int nBusType = g_aSimDrive[nIndex].nBusType;
    RecordSimEvent("bus " + LetterText(nIndex) + " " +
                   (nBusType == SIM_BUS_QUERY_FAILS ? std::string("fails") : std::to_string(nBusType)));
    if (nBusType == SIM_BUS_QUERY_FAILS)
        return false;
    *pnBusType = static_cast<uint32_t>(nBusType);
    return true;
}

bool AnswerSimCommand(int nIndex, const SimCommand& command, SimCompletion* pCompletion)
{
    memset(pCompletion, 0, sizeof(*pCompletion));
    std::string strCommand =
        FormatHexBytes(command.pbCdb, command.nCdbLength) + " len " + std::to_string(command.nTransferLength);
    const SimDrive& drive = g_aSimDrive[nIndex];
    if (drive.bDeviceCallFails) {
        RecordSimEvent("send " + LetterText(nIndex) + " " + strCommand + " failed");
        return false;
    }
    if (drive.nLatencyMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(drive.nLatencyMs));

    const std::vector<uint8_t>* pAnswer = AnswerFor(drive, command.pbCdb);
    const SimCommandFailure* pFailure = FailureFor(drive, command.pbCdb);
    const uint8_t abInvalidOpcode[3] = {0x05, 0x20, 0x00};
    if (g_anScriptNext[nIndex] < drive.aScript.size()) {
        const SimAnswer& answer = drive.aScript[g_anScriptNext[nIndex]++];
        if (answer.nStatus == SCSI_STATUS_CHECK_CONDITION)
            SetCheckCondition(pCompletion, answer.abSenseCode);
        else if (answer.nStatus == 0 && pAnswer != nullptr)
            CopyAnswer(command, *pAnswer, pCompletion);
        pCompletion->nStatus = answer.nStatus;
    } else if (g_anAttentionsLeft[nIndex] != 0) {
        if (g_anAttentionsLeft[nIndex] > 0)
            --g_anAttentionsLeft[nIndex];
        SetCheckCondition(pCompletion, drive.abAttentionSense);
    } else if (drive.nStatus != 0) {
        if (drive.bSenseData)
            SetCheckCondition(pCompletion, drive.abSenseCode);
        pCompletion->nStatus = drive.nStatus;
    } else if (pFailure != nullptr) {
        pCompletion->nStatus = pFailure->nStatus;
        pCompletion->cbSense = static_cast<uint32_t>(std::min(pFailure->abSense.size(), SIM_SENSE_BYTES));
        memcpy(pCompletion->abSense, pFailure->abSense.data(), pCompletion->cbSense);
    } else if (pAnswer == nullptr) {
        SetCheckCondition(pCompletion, abInvalidOpcode);
    } else {
        CopyAnswer(command, *pAnswer, pCompletion);
    }
    // The caller receives no more sense than it made room for.
    pCompletion->cbSense = std::min<uint32_t>(pCompletion->cbSense, command.nSenseInfoLength);

    char szStatus[8];
    snprintf(szStatus, sizeof(szStatus), "%02X", pCompletion->nStatus);
    std::string strLine = "send " + LetterText(nIndex) + " " + strCommand + " status " + szStatus;
    if (pCompletion->nStatus == SCSI_STATUS_CHECK_CONDITION && pCompletion->abSense[0] != 0) {
        const uint8_t abCode[3] = {pCompletion->abSense[2], pCompletion->abSense[12], pCompletion->abSense[13]};
        strLine += " sense " + FormatHexBytes(abCode, 3);
    }
    RecordSimEvent(strLine);
    return true;
}

#include "platform/sim/sim_drives.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/platform.h"

SimDrive g_aSimDrive[SIM_LETTERS];
std::vector<std::string> g_astrSimTrace;
ScsiRequest g_lastSimRequest;
int g_nSimOpenHandles = 0;
int g_nSimMostOpenHandles = 0;
void (*g_pfnSimBeforeOpen)() = nullptr;

static void AppendTraceLine(const std::string& strLine)
{
    g_astrSimTrace.push_back(strLine);
}

void (*g_pfnSimTrace)(const std::string& strLine) = AppendTraceLine;

// Unit attentions still due on each letter's open handle, and the next
// scripted answer.
static int g_anAttentionsLeft[SIM_LETTERS];
static size_t g_anScriptNext[SIM_LETTERS];
static const uintptr_t SIM_HANDLE_BASE = 0x5100;

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
    drive.abInquiry.assign(SIM_INQUIRY_BYTES, ' ');
    const uint8_t abHeader[8] = {0x00, 0x00, 0x05, 0x02, SIM_INQUIRY_BYTES - 5, 0x00, 0x00, 0x00};
    memcpy(drive.abInquiry.data(), abHeader, sizeof(abHeader));
    drive.abVendorIdentity.assign(SIM_VENDOR_IDENTITY_BYTES, 0);
    drive.nUnitAttentions = 0;
    drive.nStatus = 0;
    drive.bSenseData = false;
    memset(drive.abSenseCode, 0, sizeof(drive.abSenseCode));
    drive.bDeviceCallFails = false;
    drive.nLatencyMs = 0;
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
    }
    g_astrSimTrace.clear();
    g_nSimOpenHandles = 0;
    g_nSimMostOpenHandles = 0;
    g_pfnSimBeforeOpen = nullptr;
    g_pfnSimTrace = AppendTraceLine;
}

void ApplySimPackageRun(const std::string& strFileName)
{
    for (int i = 0; i < SIM_LETTERS; ++i) {
        SimDrive& drive = g_aSimDrive[i];
        if (drive.bPresent && !drive.strUpdatedBy.empty() && strFileName.find(drive.strUpdatedBy) != std::string::npos)
            SetSimInquiryField(&drive, SIM_INQUIRY_REVISION_OFFSET, SIM_INQUIRY_REVISION_BYTES, drive.strRevisionAfterUpdate);
    }
}

std::string FormatHexBytes(const uint8_t* pb, size_t cb)
{
    static const char HEX_DIGITS[] = "0123456789ABCDEF";
    std::string strResult;
    for (size_t i = 0; i < cb; ++i) {
        if (i > 0)
            strResult += ' ';
        strResult += HEX_DIGITS[pb[i] >> 4];
        strResult += HEX_DIGITS[pb[i] & 0x0F];
    }
    return strResult;
}

static int LetterOfHandle(OsHandle hVolume)
{
    uintptr_t nValue = reinterpret_cast<uintptr_t>(hVolume);
    if (nValue < SIM_HANDLE_BASE || nValue >= SIM_HANDLE_BASE + SIM_LETTERS)
        return -1;
    return static_cast<int>(nValue - SIM_HANDLE_BASE);
}

OsHandle OpenVolume(const DriveText& strDevicePath)
{
    if (g_pfnSimBeforeOpen != nullptr)
        g_pfnSimBeforeOpen();
    // \\.\X:
    bool bWellFormed = strDevicePath.size() == 6 && strDevicePath.compare(0, 4, L"\\\\.\\") == 0 &&
                       strDevicePath[5] == L':' && strDevicePath[4] >= L'A' && strDevicePath[4] <= L'Z';
    if (!bWellFormed) {
        RecordSimEvent("open ? fail");
        return OS_INVALID_HANDLE;
    }
    int nIndex = static_cast<int>(strDevicePath[4] - L'A');
    std::string strLetter(1, static_cast<char>('A' + nIndex));
    const SimDrive& drive = g_aSimDrive[nIndex];
    if (!drive.bPresent || !drive.bOpens) {
        RecordSimEvent("open " + strLetter + " fail");
        return OS_INVALID_HANDLE;
    }
    RecordSimEvent("open " + strLetter + " ok");
    g_anAttentionsLeft[nIndex] = drive.nUnitAttentions;
    g_anScriptNext[nIndex] = 0;
    ++g_nSimOpenHandles;
    if (g_nSimOpenHandles > g_nSimMostOpenHandles)
        g_nSimMostOpenHandles = g_nSimOpenHandles;
    return reinterpret_cast<OsHandle>(SIM_HANDLE_BASE + static_cast<uintptr_t>(nIndex));
}

void CloseVolume(OsHandle hVolume)
{
    int nIndex = LetterOfHandle(hVolume);
    if (nIndex < 0)
        return;
    RecordSimEvent(std::string("close ") + static_cast<char>('A' + nIndex));
    --g_nSimOpenHandles;
}

static void SetFixedSense(ScsiRequest* pRequest, uint8_t nKey, uint8_t nAsc, uint8_t nAscq)
{
    pRequest->abSense[0] = 0x70;
    pRequest->abSense[2] = nKey;
    pRequest->abSense[7] = 10;
    pRequest->abSense[12] = nAsc;
    pRequest->abSense[13] = nAscq;
}

// A GOOD answer: its bytes up to the transfer length; the rest of the
// caller's buffer stays as it was.
static void CopyAnswer(ScsiRequest* pRequest, const std::vector<uint8_t>& abAnswer)
{
    size_t cbCopy = std::min<size_t>(abAnswer.size(), pRequest->nTransferLength);
    if (cbCopy > 0)
        memcpy(pRequest->pbData, abAnswer.data(), cbCopy);
}

static const std::vector<uint8_t>* AnswerFor(const SimDrive& drive, const uint8_t* pbCdb)
{
    if (pbCdb[0] == 0x12)
        return &drive.abInquiry;
    if (pbCdb[0] == 0x3C && pbCdb[1] == 0x02 && pbCdb[2] == 0xF1)
        return &drive.abVendorIdentity;
    return nullptr;
}

bool SendScsiRequest(OsHandle hVolume, ScsiRequest* pRequest)
{
    int nIndex = LetterOfHandle(hVolume);
    std::string strCommand = FormatHexBytes(pRequest->abCdb, pRequest->nCdbLength) + " len " +
                             std::to_string(pRequest->nTransferLength);
    std::string strLetter = nIndex < 0 ? std::string("-") : std::string(1, static_cast<char>('A' + nIndex));
    if (nIndex < 0 || g_aSimDrive[nIndex].bDeviceCallFails) {
        RecordSimEvent("send " + strLetter + " " + strCommand + " failed");
        return false;
    }
    const SimDrive& drive = g_aSimDrive[nIndex];
    g_lastSimRequest = *pRequest;
    if (drive.nLatencyMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(drive.nLatencyMs));

    const std::vector<uint8_t>* pAnswer = AnswerFor(drive, pRequest->abCdb);
    if (g_anScriptNext[nIndex] < drive.aScript.size()) {
        const SimAnswer& answer = drive.aScript[g_anScriptNext[nIndex]++];
        pRequest->nScsiStatus = answer.nStatus;
        if (answer.nStatus == 0x02)
            SetFixedSense(pRequest, answer.abSenseCode[0], answer.abSenseCode[1], answer.abSenseCode[2]);
        else if (answer.nStatus == 0 && pAnswer != nullptr)
            CopyAnswer(pRequest, *pAnswer);
    } else if (g_anAttentionsLeft[nIndex] != 0) {
        if (g_anAttentionsLeft[nIndex] > 0)
            --g_anAttentionsLeft[nIndex];
        pRequest->nScsiStatus = 0x02;
        SetFixedSense(pRequest, 0x06, 0x29, 0x00);
    } else if (drive.nStatus != 0) {
        pRequest->nScsiStatus = drive.nStatus;
        if (drive.bSenseData)
            SetFixedSense(pRequest, drive.abSenseCode[0], drive.abSenseCode[1], drive.abSenseCode[2]);
    } else if (pAnswer == nullptr) {
        pRequest->nScsiStatus = 0x02;
        SetFixedSense(pRequest, 0x05, 0x20, 0x00);
    } else {
        CopyAnswer(pRequest, *pAnswer);
        pRequest->nScsiStatus = 0;
    }

    char szStatus[8];
    snprintf(szStatus, sizeof(szStatus), "%02X", pRequest->nScsiStatus);
    std::string strLine = "send " + strLetter + " " + strCommand + " status " + szStatus;
    if (pRequest->nScsiStatus == 0x02 && pRequest->abSense[0] != 0) {
        const uint8_t abCode[3] = {pRequest->abSense[2], pRequest->abSense[12], pRequest->abSense[13]};
        strLine += " sense " + FormatHexBytes(abCode, 3);
    }
    RecordSimEvent(strLine);
    return true;
}

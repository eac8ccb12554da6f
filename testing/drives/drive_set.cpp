#include "testing/drives/drive_set.h"

#include <cstdlib>
#include <cstring>

#include "probe/bus_type.h"
#include "probe/drive_set_writer.h"

const size_t MAX_ANSWER_BYTES = 256;
const size_t MAX_TEXT_BYTES = 64;
const long MAX_UNIT_ATTENTIONS = 1000000;
const long MAX_LATENCY_MS = 60000;
const long MAX_ERROR_NUMBER = 65535;
const uint32_t MAX_BUS_TYPE = 255;

namespace {

// What a section said, before the keys that replace others are applied.
struct SectionValues {
    bool bHasVendorText = false, bHasVendorHex = false, bHasInquiryHex = false;
    std::string strVendorText, strVendor, strProduct, strRevision;
    bool bHasVendor = false, bHasProduct = false, bHasRevision = false;
    std::vector<uint8_t> abVendorHex, abInquiryHex;
    SimDrive drive = MakeSimDrive();
};

std::string Trim(const std::string& str)
{
    size_t nBegin = str.find_first_not_of(" \t\r");
    if (nBegin == std::string::npos)
        return std::string();
    size_t nEnd = str.find_last_not_of(" \t\r");
    return str.substr(nBegin, nEnd - nBegin + 1);
}

int HexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

// The line without its comment: '#' outside a quoted value.
std::string StripComment(const std::string& strLine)
{
    bool bQuoted = false;
    for (size_t i = 0; i < strLine.size(); ++i) {
        char ch = strLine[i];
        if (bQuoted && ch == '\\') {
            ++i;
        } else if (ch == '"') {
            bQuoted = !bQuoted;
        } else if (ch == '#' && !bQuoted) {
            return strLine.substr(0, i);
        }
    }
    return strLine;
}

bool ParseQuoted(const std::string& strValue, size_t cbMax, std::string* pstrBytes, std::string* pstrWhat)
{
    if (strValue.size() < 2 || strValue.front() != '"') {
        *pstrWhat = "expected a quoted value";
        return false;
    }
    std::string strBytes;
    size_t i = 1;
    for (; i < strValue.size() && strValue[i] != '"'; ++i) {
        char ch = strValue[i];
        if (ch != '\\') {
            strBytes += ch;
            continue;
        }
        if (i + 1 >= strValue.size()) {
            *pstrWhat = "unfinished escape";
            return false;
        }
        char chNext = strValue[++i];
        if (chNext == '\\' || chNext == '"') {
            strBytes += chNext;
        } else if (chNext == 'x' && i + 2 < strValue.size() && HexValue(strValue[i + 1]) >= 0 &&
                   HexValue(strValue[i + 2]) >= 0) {
            strBytes += static_cast<char>(HexValue(strValue[i + 1]) * 16 + HexValue(strValue[i + 2]));
            i += 2;
        } else {
            *pstrWhat = "unknown escape";
            return false;
        }
    }
    if (i >= strValue.size() || i + 1 != strValue.size()) {
        *pstrWhat = i >= strValue.size() ? "unterminated quoted value" : "text after the quoted value";
        return false;
    }
    if (strBytes.size() > cbMax) {
        *pstrWhat = "value longer than " + std::to_string(cbMax) + " bytes";
        return false;
    }
    *pstrBytes = strBytes;
    return true;
}

bool ParseHex(const std::string& strValue, size_t cbMax, std::vector<uint8_t>* pabBytes, std::string* pstrWhat)
{
    std::vector<uint8_t> abBytes;
    size_t i = 0;
    while (i < strValue.size()) {
        if (strValue[i] == ' ' || strValue[i] == '\t') {
            ++i;
            continue;
        }
        if (i + 1 >= strValue.size() || HexValue(strValue[i]) < 0 || HexValue(strValue[i + 1]) < 0 ||
            (i + 2 < strValue.size() && strValue[i + 2] != ' ' && strValue[i + 2] != '\t')) {
            *pstrWhat = "bad hex byte";
            return false;
        }
        abBytes.push_back(static_cast<uint8_t>(HexValue(strValue[i]) * 16 + HexValue(strValue[i + 1])));
        i += 2;
    }
    if (abBytes.size() > cbMax) {
        *pstrWhat = "more than " + std::to_string(cbMax) + " bytes";
        return false;
    }
    *pabBytes = abBytes;
    return true;
}

bool ParseCount(const std::string& strValue, long nMax, bool bForeverAllowed, int* pnValue, std::string* pstrWhat)
{
    if (bForeverAllowed && strValue == "forever") {
        *pnValue = SIM_FOREVER;
        return true;
    }
    if (strValue.empty() || strValue.size() > 9 || strValue.find_first_not_of("0123456789") != std::string::npos ||
        strtol(strValue.c_str(), nullptr, 10) > nMax) {
        *pstrWhat = "expected a whole number up to " + std::to_string(nMax);
        return false;
    }
    *pnValue = static_cast<int>(strtol(strValue.c_str(), nullptr, 10));
    return true;
}

bool ParseSenseCode(const std::string& strValue, uint8_t abCode[3], std::string* pstrWhat)
{
    std::vector<uint8_t> abSense;
    if (!ParseHex(strValue, 3, &abSense, pstrWhat))
        return false;
    if (abSense.size() != 3) {
        *pstrWhat = "sense takes three bytes: key, ASC, ASCQ";
        return false;
    }
    memcpy(abCode, abSense.data(), 3);
    return true;
}

bool ApplyKey(const std::string& strKey, const std::string& strValue, SectionValues* pSection, std::string* pstrWhat)
{
    SimDrive& drive = pSection->drive;
    if (strKey == "vendor_identity") {
        pSection->bHasVendorText = true;
        return ParseQuoted(strValue, SIM_VENDOR_IDENTITY_BYTES - SIM_VENDOR_IDENTITY_TEXT_OFFSET,
                           &pSection->strVendorText, pstrWhat);
    }
    if (strKey == "vendor_identity_hex") {
        pSection->bHasVendorHex = true;
        return ParseHex(strValue, MAX_ANSWER_BYTES, &pSection->abVendorHex, pstrWhat);
    }
    if (strKey == "inquiry_vendor") {
        pSection->bHasVendor = true;
        return ParseQuoted(strValue, SIM_INQUIRY_VENDOR_BYTES, &pSection->strVendor, pstrWhat);
    }
    if (strKey == "inquiry_product") {
        pSection->bHasProduct = true;
        return ParseQuoted(strValue, SIM_INQUIRY_PRODUCT_BYTES, &pSection->strProduct, pstrWhat);
    }
    if (strKey == "inquiry_revision") {
        pSection->bHasRevision = true;
        return ParseQuoted(strValue, SIM_INQUIRY_REVISION_BYTES, &pSection->strRevision, pstrWhat);
    }
    if (strKey == "inquiry_hex") {
        pSection->bHasInquiryHex = true;
        return ParseHex(strValue, MAX_ANSWER_BYTES, &pSection->abInquiryHex, pstrWhat);
    }
    if (strKey == "unit_attentions")
        return ParseCount(strValue, MAX_UNIT_ATTENTIONS, true, &drive.nUnitAttentions, pstrWhat);
    if (strKey == "latency_ms") {
        int nLatency = 0;
        if (!ParseCount(strValue, MAX_LATENCY_MS, false, &nLatency, pstrWhat))
            return false;
        drive.nLatencyMs = static_cast<uint32_t>(nLatency);
        return true;
    }
    if (strKey == "sense") {
        drive.nStatus = 0x02;
        drive.bSenseData = true;
        return ParseSenseCode(strValue, drive.abSenseCode, pstrWhat);
    }
    if (strKey == "inquiry_status" || strKey == "vendor_identity_status") {
        SimCommandFailure& failure = strKey[0] == 'i' ? drive.inquiryFailure : drive.vendorIdentityFailure;
        std::vector<uint8_t> abStatus;
        if (!ParseHex(strValue, 1, &abStatus, pstrWhat))
            return false;
        if (abStatus.size() != 1 || abStatus[0] == 0) {
            *pstrWhat = "a status is one non-zero hex byte";
            return false;
        }
        failure.nStatus = abStatus[0];
        return true;
    }
    if (strKey == "inquiry_sense_hex" || strKey == "vendor_identity_sense_hex") {
        SimCommandFailure& failure = strKey[0] == 'i' ? drive.inquiryFailure : drive.vendorIdentityFailure;
        return ParseHex(strValue, SIM_SENSE_BYTES, &failure.abSense, pstrWhat);
    }
    if (strKey == "pass_through") {
        if (strValue != "refused") {
            *pstrWhat = "pass_through takes refused";
            return false;
        }
        drive.bDeviceCallFails = true;
        return true;
    }
    if (strKey == DRIVE_SET_BUS_TYPE) {
        // The probe's own names, so that a capture replays as it was taken.
        if (strValue == BusTypeName(false, 0)) {
            drive.nBusType = SIM_BUS_QUERY_FAILS;
            return true;
        }
        for (uint32_t nBusType = 0; nBusType <= MAX_BUS_TYPE; ++nBusType)
            if (strValue == BusTypeName(true, nBusType)) {
                drive.nBusType = static_cast<int>(nBusType);
                return true;
            }
        *pstrWhat = "bus_type takes a bus name, other:N or unknown";
        return false;
    }
    if (strKey == "unit_attention_sense")
        return ParseSenseCode(strValue, drive.abAttentionSense, pstrWhat);
    if (strKey == "opens") {
        int nError = 0;
        if (strValue == "no" || strValue == "denied") {
            nError = static_cast<int>(strValue == "no" ? OS_ERROR_FILE_NOT_FOUND : OS_ERROR_ACCESS_DENIED);
        } else if (strValue != "yes" &&
                   (!ParseCount(strValue, MAX_ERROR_NUMBER, false, &nError, pstrWhat) || nError == 0)) {
            *pstrWhat = "opens takes yes, no, denied or a Windows error number";
            return false;
        }
        drive.bOpens = strValue == "yes";
        drive.nOpenError = static_cast<uint32_t>(nError);
        return true;
    }
    if (strKey == "updated_by")
        return ParseQuoted(strValue, MAX_TEXT_BYTES, &drive.strUpdatedBy, pstrWhat);
    if (strKey == "revision_after_update")
        return ParseQuoted(strValue, SIM_INQUIRY_REVISION_BYTES, &drive.strRevisionAfterUpdate, pstrWhat);
    *pstrWhat = "unknown key '" + strKey + "'";
    return false;
}

SimDrive FinishSection(const SectionValues& section)
{
    SimDrive drive = section.drive;
    if (section.bHasVendorHex)
        drive.abVendorIdentity = section.abVendorHex;
    else if (section.bHasVendorText)
        SetSimVendorIdentityText(&drive, section.strVendorText);
    if (section.bHasInquiryHex) {
        drive.abInquiry = section.abInquiryHex;
    } else {
        if (section.bHasVendor)
            SetSimInquiryField(&drive, SIM_INQUIRY_VENDOR_OFFSET, SIM_INQUIRY_VENDOR_BYTES, section.strVendor);
        if (section.bHasProduct)
            SetSimInquiryField(&drive, SIM_INQUIRY_PRODUCT_OFFSET, SIM_INQUIRY_PRODUCT_BYTES, section.strProduct);
        if (section.bHasRevision)
            SetSimInquiryField(&drive, SIM_INQUIRY_REVISION_OFFSET, SIM_INQUIRY_REVISION_BYTES, section.strRevision);
    }
    return drive;
}

}  // namespace

bool ParseDriveSet(const std::string& strText, SimDrive aDrives[SIM_LETTERS], std::string* pstrError)
{
    std::vector<SimDrive> aParsed(SIM_LETTERS);
    for (SimDrive& drive : aParsed) {
        drive = MakeSimDrive();
        drive.bPresent = false;
    }
    int nSection = -1;
    SectionValues section;
    size_t nStart = 0;
    for (int nLine = 1; nStart <= strText.size(); ++nLine) {
        size_t nEnd = strText.find('\n', nStart);
        if (nEnd == std::string::npos)
            nEnd = strText.size();
        std::string strLine = Trim(StripComment(strText.substr(nStart, nEnd - nStart)));
        nStart = nEnd + 1;
        if (strLine.empty())
            continue;
        std::string strWhat;
        if (strLine.front() == '[') {
            if (strLine.size() != 3 || strLine[2] != ']' || strLine[1] < 'A' || strLine[1] > 'Z') {
                strWhat = "a section is a drive letter A to Z in brackets";
            } else if (aParsed[strLine[1] - 'A'].bPresent) {
                strWhat = std::string("second section for ") + strLine[1];
            } else {
                if (nSection >= 0)
                    aParsed[nSection] = FinishSection(section);
                nSection = strLine[1] - 'A';
                section = SectionValues();
                aParsed[nSection].bPresent = true;
            }
        } else {
            size_t nEquals = strLine.find('=');
            if (nSection < 0)
                strWhat = "line outside a section";
            else if (nEquals == std::string::npos)
                strWhat = "expected key = value";
            else
                ApplyKey(Trim(strLine.substr(0, nEquals)), Trim(strLine.substr(nEquals + 1)), &section, &strWhat);
        }
        if (!strWhat.empty()) {
            *pstrError = std::to_string(nLine) + ": " + strWhat;
            return false;
        }
    }
    if (nSection >= 0)
        aParsed[nSection] = FinishSection(section);
    for (int i = 0; i < SIM_LETTERS; ++i)
        aDrives[i] = aParsed[i];
    return true;
}

// Written with the product's own writer: a capture and these files are one format.
static std::string FormatCommandFailure(const char* pszCommand, const SimCommandFailure& failure)
{
    if (failure.nStatus == 0)
        return std::string();
    return FormatDriveSetFailureLines(pszCommand, failure.nStatus, failure.abSense.data(), failure.abSense.size());
}

std::string FormatDriveSet(const SimDrive aDrives[SIM_LETTERS])
{
    std::string strText;
    for (int i = 0; i < SIM_LETTERS; ++i) {
        const SimDrive& drive = aDrives[i];
        if (!drive.bPresent)
            continue;
        strText += FormatDriveSetSection(static_cast<char>('A' + i));
        strText += FormatDriveSetDataLine(DRIVE_SET_VENDOR_IDENTITY, drive.abVendorIdentity.data(),
                                          drive.abVendorIdentity.size());
        strText += FormatDriveSetDataLine(DRIVE_SET_INQUIRY, drive.abInquiry.data(), drive.abInquiry.size());
        if (drive.nUnitAttentions != 0)
            strText += FormatDriveSetValueLine("unit_attentions", drive.nUnitAttentions == SIM_FOREVER
                                                                      ? std::string("forever")
                                                                      : std::to_string(drive.nUnitAttentions));
        if (memcmp(drive.abAttentionSense, MakeSimDrive().abAttentionSense, 3) != 0)
            strText += FormatDriveSetHexLine("unit_attention_sense", drive.abAttentionSense, 3);
        if (drive.bSenseData)
            strText += FormatDriveSetHexLine("sense", drive.abSenseCode, 3);
        if (!drive.bOpens)
            strText += FormatDriveSetOpensLine(drive.nOpenError);
        if (!drive.strUpdatedBy.empty())
            strText += FormatDriveSetTextLine("updated_by", drive.strUpdatedBy);
        if (!drive.strRevisionAfterUpdate.empty())
            strText += FormatDriveSetTextLine("revision_after_update", drive.strRevisionAfterUpdate);
        strText += FormatCommandFailure(DRIVE_SET_INQUIRY, drive.inquiryFailure);
        strText += FormatCommandFailure(DRIVE_SET_VENDOR_IDENTITY, drive.vendorIdentityFailure);
        if (drive.bDeviceCallFails)
            strText += FormatDriveSetRefusedLine();
        if (drive.nLatencyMs != 0)
            strText += FormatDriveSetValueLine("latency_ms", std::to_string(drive.nLatencyMs));
        if (drive.nBusType != MakeSimDrive().nBusType)
            strText += FormatDriveSetValueLine(DRIVE_SET_BUS_TYPE, BusTypeName(drive.nBusType != SIM_BUS_QUERY_FAILS,
                                                                               static_cast<uint32_t>(drive.nBusType)));
        strText += "\n";
    }
    return strText;
}

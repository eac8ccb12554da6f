#include "probe/drive_capture.h"

#include "probe/probe_report.h"

static std::string FormatStatus(uint8_t nStatus)
{
    static const char HEX_DIGITS[] = "0123456789ABCDEF";
    return std::string{HEX_DIGITS[nStatus >> 4], HEX_DIGITS[nStatus & 0x0F]};
}

// One command's keys: its data, or its status with the sense it returned.
static std::string FormatCommand(const char* pszKey, const ProbedCommand& command)
{
    const CdbOutcome& outcome = command.outcome;
    if (!command.bSent || !outcome.bReachedDrive)
        return std::string();
    if (outcome.nScsiStatus == 0)
        return std::string(pszKey) + "_hex = " + FormatHex(command.abData) + "\n";
    std::string strKeys = std::string(pszKey) + "_status = " + FormatStatus(outcome.nScsiStatus) + "\n";
    if (outcome.cbSense > 0)
        strKeys += std::string(pszKey) + "_sense_hex = " +
                   FormatHex(std::vector<uint8_t>(outcome.abSense, outcome.abSense + outcome.cbSense)) + "\n";
    return strKeys;
}

std::string FormatCapture(const ProbeResult& result)
{
    std::string strText = "# Captured by fwprobe: each volume's answers, replayable as a drive set.\n";
    for (const ProbedDrive& drive : result.aDrives) {
        strText += std::string("\n[") + drive.chLetter + "]\n";
        if (drive.nOpenError != 0) {
            strText += "opens = " +
                       (drive.nOpenError == PROBE_ERROR_ACCESS_DENIED ? std::string("denied")
                                                                      : Utf8FromText(DecimalText(drive.nOpenError))) + "\n";
            continue;
        }
        if ((drive.vendorIdentity.bSent && !drive.vendorIdentity.outcome.bReachedDrive) ||
            (drive.inquiry.bSent && !drive.inquiry.outcome.bReachedDrive))
            strText += "pass_through = refused\n";
        strText += FormatCommand("vendor_identity", drive.vendorIdentity);
        strText += FormatCommand("inquiry", drive.inquiry);
    }
    return strText;
}

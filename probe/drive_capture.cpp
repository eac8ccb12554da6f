#include "probe/drive_capture.h"

#include "probe/bus_type.h"
#include "probe/drive_set_writer.h"

// One command's keys: its data, or its status with the sense it returned.
static std::string FormatCommand(const char* pszCommand, const ProbedCommand& command)
{
    const CdbOutcome& outcome = command.outcome;
    if (!command.bSent || !outcome.bReachedDrive)
        return std::string();
    if (outcome.nScsiStatus == 0)
        return FormatDriveSetDataLine(pszCommand, command.abData.data(), command.abData.size());
    return FormatDriveSetFailureLines(pszCommand, outcome.nScsiStatus, outcome.abSense, outcome.cbSense);
}

std::string FormatCapture(const ProbeResult& result)
{
    std::string strText = "# Captured by fwprobe: each volume's answers, replayable as a drive set.\n";
    for (const ProbedDrive& drive : result.aDrives) {
        strText += "\n" + FormatDriveSetSection(drive.chLetter);
        if (drive.nOpenError != 0) {
            strText += FormatDriveSetOpensLine(drive.nOpenError);
            continue;
        }
        strText += FormatDriveSetValueLine(DRIVE_SET_BUS_TYPE, BusTypeName(drive.bBusTypeKnown, drive.nBusType));
        if ((drive.vendorIdentity.bSent && !drive.vendorIdentity.outcome.bReachedDrive) ||
            (drive.inquiry.bSent && !drive.inquiry.outcome.bReachedDrive))
            strText += FormatDriveSetRefusedLine();
        strText += FormatCommand(DRIVE_SET_VENDOR_IDENTITY, drive.vendorIdentity);
        strText += FormatCommand(DRIVE_SET_INQUIRY, drive.inquiry);
    }
    return strText;
}

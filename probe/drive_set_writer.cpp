#include "probe/drive_set_writer.h"

#include "platform/drive_text.h"
#include "platform/platform.h"

const char DRIVE_SET_VENDOR_IDENTITY[] = "vendor_identity";
const char DRIVE_SET_INQUIRY[] = "inquiry";
const char DRIVE_SET_BUS_TYPE[] = "bus_type";

std::string FormatDriveSetSection(char chLetter)
{
    return std::string("[") + chLetter + "]\n";
}

std::string FormatDriveSetValueLine(const std::string& strKey, const std::string& strValue)
{
    return strKey + " = " + strValue + "\n";
}

std::string FormatDriveSetHexLine(const std::string& strKey, const uint8_t* pb, size_t cb)
{
    return FormatDriveSetValueLine(strKey, FormatHexBytes(pb, cb));
}

std::string FormatDriveSetTextLine(const std::string& strKey, const std::string& strBytes)
{
    std::string strQuoted = "\"";
    for (unsigned char ch : strBytes) {
        if (ch == '\\' || ch == '"') {
            strQuoted += '\\';
            strQuoted += static_cast<char>(ch);
        } else if (ch < 0x20 || ch >= 0x7F || ch == '#') {
            strQuoted += "\\x" + FormatHexBytes(&ch, 1);
        } else {
            strQuoted += static_cast<char>(ch);
        }
    }
    return FormatDriveSetValueLine(strKey, strQuoted + "\"");
}

std::string FormatDriveSetDataLine(const char* pszCommand, const uint8_t* pb, size_t cb)
{
    return FormatDriveSetHexLine(std::string(pszCommand) + "_hex", pb, cb);
}

std::string FormatDriveSetFailureLines(const char* pszCommand, uint8_t nStatus, const uint8_t* pbSense, size_t cbSense)
{
    std::string strLines = FormatDriveSetHexLine(std::string(pszCommand) + "_status", &nStatus, 1);
    if (cbSense > 0)
        strLines += FormatDriveSetHexLine(std::string(pszCommand) + "_sense_hex", pbSense, cbSense);
    return strLines;
}

std::string FormatDriveSetOpensLine(uint32_t nOpenError)
{
    if (nOpenError == OS_ERROR_FILE_NOT_FOUND)
        return FormatDriveSetValueLine("opens", "no");
    if (nOpenError == OS_ERROR_ACCESS_DENIED)
        return FormatDriveSetValueLine("opens", "denied");
    return FormatDriveSetValueLine("opens", Utf8FromText(DecimalText(nOpenError)));
}

std::string FormatDriveSetRefusedLine()
{
    return FormatDriveSetValueLine("pass_through", "refused");
}

#pragma once
// The drive-set file, line by line: a "[X]" section per drive letter and
// one "key = value" line per fact. fwprobe --capture writes a machine's
// drives with it, and the drive simulator writes its drives back with it,
// so that a capture and the simulator's files cannot drift apart. The
// simulator's reader parses these lines.
#include <cstddef>
#include <cstdint>
#include <string>

// The first words of the keys of the two commands' answers: the data
// (_hex), or the status (_status) and sense (_sense_hex) of a failure.
extern const char DRIVE_SET_VENDOR_IDENTITY[];
extern const char DRIVE_SET_INQUIRY[];

// The key of the bus its storage driver names (probe/bus_type.h's names).
extern const char DRIVE_SET_BUS_TYPE[];

// "[E]" on a line of its own.
std::string FormatDriveSetSection(char chLetter);
// key = 00 01 FE: bytes as hex pairs; no bytes is an empty value.
std::string FormatDriveSetHexLine(const std::string& strKey, const uint8_t* pb, size_t cb);
// key = "text", with \\, \" and \xNN for any byte that is not printable ASCII.
std::string FormatDriveSetTextLine(const std::string& strKey, const std::string& strBytes);
// key = value, a word or a number as it is.
std::string FormatDriveSetValueLine(const std::string& strKey, const std::string& strValue);
// The data a command returned with status 0: "inquiry_hex = ...".
std::string FormatDriveSetDataLine(const char* pszCommand, const uint8_t* pb, size_t cb);
// A command that ended with status nStatus (not 0), and the sense bytes it returned.
std::string FormatDriveSetFailureLines(const char* pszCommand, uint8_t nStatus, const uint8_t* pbSense, size_t cbSense);
// "opens = no", "denied" or the Windows error number: why a volume does not open.
std::string FormatDriveSetOpensLine(uint32_t nOpenError);
// "pass_through = refused": the device call itself fails.
std::string FormatDriveSetRefusedLine();

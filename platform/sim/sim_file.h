#pragma once
// Small file helpers of the drive simulator and its test tools,
// whose files are named by environment variables that hold Windows paths.
#include <string>

#include "platform/drive_text.h"
#include "platform/sim/sim_drives.h"

// The variable's value, empty when it is not set.
DriveText ReadEnvironmentText(const wchar_t* pszName);
bool ReadWholeFile(const DriveText& strPath, std::string* pstrBytes);
bool WriteWholeFile(const DriveText& strPath, const std::string& strBytes);
void AppendLineToFile(const DriveText& strPath, const std::string& strLine);
std::string Utf8FromWide(const DriveText& strText);
// The line and a line end on standard error.
void WriteErrorLine(const std::string& strLine);
// Reads the drive-set file named by FWLAUNCH_SIM_DRIVES into aDrives; on
// failure returns "FILE:LINE: what" and leaves aDrives as they were.
std::string ReadSimDriveSetFile(SimDrive aDrives[SIM_LETTERS]);
